// H.264 pictures through libx264, at a constant quality (CRF) and one of x264's presets.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"

#include <memory>
#include <string>

namespace camlog::media {

struct H264Settings {
    int width = 768;
    int height = 576;
    AVRational timeBase{1, 50}; // of the pictures' pts
    AVRational pictureRate{50, 1};
    std::string preset = "medium";
    int crf = 20;
    bool ntsc = false; // the colours of 525/60 tapes (SMPTE 170M), else of 625/50 tapes (BT.470 BG)
};

// Pictures in (yuv420p, square pixels), packets out; the codec context carries the stream's
// parameters (global header: the stream's set-up is written once, as MP4 wants it).
class H264Encoder {
public:
    // Fails when FFmpeg has no libx264 or refuses the preset or the quality.
    static core::Expected<std::unique_ptr<H264Encoder>, ReencodeErrorCode> create(const H264Settings &settings);

    // A picture, or null once the pictures are over.
    core::Expected<bool, ReencodeErrorCode> send(const AVFrame *picture);
    // True with a packet in out (its times on context().time_base); false when the encoder
    // wants more pictures or has given everything.
    core::Expected<bool, ReencodeErrorCode> receive(AVPacket *out);

    const AVCodecContext &context() const { return *m_context; }

private:
    H264Encoder() = default;
    CodecContextPtr m_context;
};

} // namespace camlog::media
