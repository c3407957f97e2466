// The stage interface of the processing pipeline: start of a stream, one call per sample, stop.
#pragma once

#include "core/four_cc.h"

#include <cstdint>
#include <span>

namespace camlog::media {

// What flows on one path of a pipeline. Video paths carry whole DV frames ("iavs" for the
// interleaved stream of a type 1 file, "vids"/"dvsd" for the video stream of a type 2 file);
// audio paths carry PCM ("auds").
struct MediaFormat {
    core::FourCC majorType;
    core::FourCC subtype;
    std::int64_t frameDuration = 0; // 100-ns units per video frame; 0 when unknown
    int sampleRate = 0;             // audio only
    int channels = 0;
    int bitsPerSample = 0;
};

// The subtype of uncompressed 24-bit pictures: blue, green and red bytes, rows from the bottom
// up, as the content scene detector samples them.
inline constexpr core::FourCC kRgb24Subtype = core::FourCC::fromString("RGB3");

// One sample on its way through the stages; stages may change the bytes in place.
struct MediaSample {
    std::span<std::uint8_t> data;
    // Media times: frame numbers of a video sample; -1 when the sample carries none.
    std::int64_t mediaStart = -1;
    std::int64_t mediaEnd = -1;
    // Stream times in 100-ns units.
    std::int64_t timeStart = 0;
    std::int64_t timeEnd = 0;
};

// One of the program's own filters, usable on plain buffers without any pipeline around it.
class MediaStage {
public:
    virtual ~MediaStage() = default;
    // False declines the format: the stage cannot be joined to that path.
    virtual bool StartStream(const MediaFormat &format) = 0;
    virtual void Receive(MediaSample &sample) = 0;
    virtual void StopStream() = 0;
};

} // namespace camlog::media
