// Which file names the program takes as videos: DV AVI files and raw DV streams.
#pragma once

#include <string_view>

namespace camlog::core {

// The extensions of the videos every opening accepts, lower case, with their dot.
inline constexpr std::string_view kVideoExtensions[] = {".avi", ".dv", ".dif"};

// The name ends with one of kVideoExtensions, whatever its case (".AVI", ".Dv").
bool IsVideoFileName(std::string_view fileName);

} // namespace camlog::core
