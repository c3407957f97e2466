// The listing mode's entry: options, then the listing.
#include "app/listing/listing_main.h"

#include "app/listing/video_listing.h"
#include "app/usage.h"

#include <cstdio>
#include <vector>

namespace camlog::app {

int RunListing(std::span<const std::string> args)
{
    bool withScenes = true;
    std::vector<std::string> paths;
    for (const std::string &arg : args) {
        if (arg == "-h" || arg == "--help") {
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        }
        if (arg == "--scenes" || arg == "--no-scenes") {
            withScenes = arg == "--scenes";
        } else if (arg.starts_with("-") && arg.size() > 1) {
            std::fprintf(stderr, "camlog: unknown option '%s'\n%s", arg.c_str(), ShortUsageText().c_str());
            return 2;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) {
        std::fputs("camlog: --list needs at least one file or folder\n", stderr);
        std::fputs(ShortUsageText().c_str(), stderr);
        return 2;
    }
    return RunVideoListing(withScenes, paths);
}

} // namespace camlog::app
