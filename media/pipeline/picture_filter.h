// The hook of the re-encoding for the program's own picture filters (deinterlacer, inlay).
#pragma once

#include "core/dv_video_segments.h"
#include "media/decoding/ffmpeg_owners.h"
#include "scenes/frame_record.h"

#include <cstdint>

namespace camlog::media {

// What a picture filter knows of the DV frame a decoded picture comes from.
struct SourcePicture {
    scenes::FrameRecord record;   // datecode, timecode of the source frame (valid flags)
    std::int64_t frameNumber = 0; // source frame number from 0
};

// A filter on decoded pictures, in place, before the picture stage scales them.
class PictureFilter {
public:
    virtual ~PictureFilter() = default;
    // Before the first picture: picture size and pixel format, 100-ns units per source frame.
    virtual bool StartPictures(int width, int height, AVPixelFormat format, std::int64_t frameDuration) = 0;
    // Returns the part of the picture it changed (empty when it left the picture as it was),
    // so that the rest can keep the source's own coding.
    virtual core::PixelRect FilterPicture(AVFrame &picture, const SourcePicture &source) = 0;
};

} // namespace camlog::media
