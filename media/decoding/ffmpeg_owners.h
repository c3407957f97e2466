// Owners for the FFmpeg objects of the re-encoding: each pointer frees its object with the
// library's own free function.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace camlog::media {

struct FormatContextClose {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecContextFree {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct AvFrameFree {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct AvPacketFree {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct SwsContextFree {
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};
struct SwrContextFree {
    void operator()(SwrContext *context) const { swr_free(&context); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextClose>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameFree>;
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketFree>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextFree>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextFree>;

// FFmpeg's text for an error code.
inline std::string AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

} // namespace camlog::media
