// Encodes DV pictures into DV frames with FFmpeg's dvvideo encoder.
#pragma once

#include "media/reencoding/dv_picture_stage.h"

#include <cstdint>
#include <memory>
#include <span>

namespace camlog::media {

// One picture in, one whole DV frame out (144 000 bytes for 625/50, 120 000 for 525/60),
// marked 4:3 or 16:9 as the format says. The frame holds no recording data and no sound:
// those are written into it afterwards.
class DvVideoEncoder {
public:
    static core::Expected<std::unique_ptr<DvVideoEncoder>, ReencodeErrorCode> create(const DvPictureFormat &format);
    ~DvVideoEncoder();
    DvVideoEncoder(const DvVideoEncoder &) = delete;
    DvVideoEncoder &operator=(const DvVideoEncoder &) = delete;

    // The picture must be in the format's size and pixel format. The frame returned stays
    // valid until the next call.
    core::Expected<std::span<std::uint8_t>, ReencodeErrorCode> encode(const AVFrame &picture);

private:
    DvVideoEncoder() = default;

    CodecContextPtr m_context;
    AvPacketPtr m_packet;
    std::int64_t m_next = 0; // the next picture's number
};

} // namespace camlog::media
