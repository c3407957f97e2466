// The version of the FFmpeg libraries in use.
#include "media/decoding/ffmpeg_version.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
}

namespace camlog::media {

std::string FfmpegVersionText()
{
    const unsigned codec = avcodec_version();
    return "FFmpeg " + std::string(av_version_info()) + " (libavcodec " + std::to_string(AV_VERSION_MAJOR(codec)) + "."
           + std::to_string(AV_VERSION_MINOR(codec)) + "." + std::to_string(AV_VERSION_MICRO(codec)) + ")";
}

} // namespace camlog::media
