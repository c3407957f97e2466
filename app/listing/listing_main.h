// `camlog --list [--scenes|--no-scenes] PATH...`: the listing mode's options.
#pragma once

#include <span>
#include <string>

namespace camlog::app {

// args: the arguments after "--list". Returns the exit status: 0 when every video was read,
// 1 when a file could not be read, 2 on bad usage.
int RunListing(std::span<const std::string> args);

} // namespace camlog::app
