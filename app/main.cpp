// camlog: the window (camlog [ARG...]), the batch mode (camlog --batch ARG...) and the listing
// mode (camlog --list PATH...).
#include "app/batch/batch_main.h"
#include "app/listing/listing_main.h"
#include "app/usage.h"
#include "app/window_start.h"
#include "core/program_version.h"

#include <clocale>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

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

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string first = args.empty() ? std::string() : args.front();
    if (first == "--batch")
        return camlog::app::RunBatch(std::span(args).subspan(1));
    if (first == "--list")
        return camlog::app::RunListing(std::span(args).subspan(1));
    // "-h" alone asks for help; among other arguments it is an action call (the RIFF header).
    if (first == "--help" || (first == "-h" && args.size() == 1)) {
        std::fputs(camlog::app::UsageText().c_str(), stdout);
        return 0;
    }
    if (first == "--version") {
        std::puts("camlog " CAMLOG_VERSION);
        return 0;
    }
    return camlog::app::RunWindow(argc, argv, args);
}
