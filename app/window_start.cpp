// Stands in for the window until the window library provides RunWindow: the arguments are
// listed as `camlog --list` does.
#include "app/window_start.h"

#include "app/listing/listing_main.h"

namespace camlog::app {

int RunWindow(int &, char **, std::span<const std::string> args)
{
    return RunListing(args);
}

} // namespace camlog::app
