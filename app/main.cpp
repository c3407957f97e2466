// camlog: the listing mode (camlog PATH...) and the batch mode (camlog --batch ARG...).
#include "app/batch/batch_main.h"
#include "app/listing/video_listing.h"
#include "app/usage.h"

#include <clocale>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args.front() == "--batch")
        return camlog::app::RunBatch(std::span(args).subspan(1));

    bool withScenes = true;
    std::vector<std::string> paths;
    for (const std::string &arg : args) {
        if (arg == "-h" || arg == "--help") {
            std::fputs(camlog::app::UsageText().c_str(), stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("camlog " CAMLOG_VERSION);
            return 0;
        }
        if (arg == "--scenes" || arg == "--no-scenes") {
            withScenes = arg == "--scenes";
        } else if (arg.starts_with("-") && arg.size() > 1) {
            std::fprintf(stderr, "camlog: unknown option '%s'\n%s", arg.c_str(), camlog::app::ShortUsageText().c_str());
            return 2;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) {
        std::fputs(camlog::app::ShortUsageText().c_str(), stderr);
        return 2;
    }
    return camlog::app::RunVideoListing(withScenes, paths);
}
