// camlog: the batch mode (camlog --batch ARG...), the listing mode (camlog --list PATH...) and
// the window (camlog [ARG...]), which runs in a program of its own that this one starts in its
// place, so that a listing or a batch run never maps Qt's window libraries.
#include "app/batch/batch_main.h"
#include "app/listing/listing_main.h"
#include "app/usage.h"
#include "app/window_launch.h"
#include "core/program_version.h"

#include <clocale>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

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
    return camlog::app::StartWindowProgram(argv);
}
