// What the sanitizer builds of camlog and of its window program leave out of their reports.
#if defined(__SANITIZE_THREAD__)
#include "app/thread_sanitizer_suppressions.h"

extern "C" const char *__tsan_default_suppressions()
{
    return camlog::app::kThreadSanitizerSuppressions;
}
#endif

#if defined(__SANITIZE_ADDRESS__)
// The font library behind the offscreen text drawing keeps its caches until the process ends;
// the leak checker of sanitizer builds leaves them out.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
