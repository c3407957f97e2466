// Compiled into every test program (once each): the program's own list.
#if defined(__SANITIZE_THREAD__)
#include "app/thread_sanitizer_suppressions.h"

extern "C" const char *__tsan_default_suppressions()
{
    return camlog::app::kThreadSanitizerSuppressions;
}
#endif
