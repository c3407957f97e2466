// The version of the FFmpeg libraries the program runs with, for the about panel.
#pragma once

#include <string>

namespace camlog::media {

// "FFmpeg 6.1.1 (libavcodec 60.31.102)": the release and the decoder library's own version, as
// loaded at run time.
std::string FfmpegVersionText();

} // namespace camlog::media
