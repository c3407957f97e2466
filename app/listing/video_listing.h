// The listing mode: `camlog --list [--scenes|--no-scenes] PATH...`.
#pragma once

#include <span>
#include <string>

namespace camlog::app {

// Lists each video (a folder: its videos, not those of its subfolders). Returns the exit status:
// 0 when every video was read, 1 when a file could not be read.
int RunVideoListing(bool withScenes, std::span<const std::string> paths);

} // namespace camlog::app
