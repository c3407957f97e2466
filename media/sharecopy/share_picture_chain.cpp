// The pictures of a share copy through FFmpeg's filter library.
#include "media/sharecopy/share_picture_chain.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

#include <string>

namespace camlog::media {

namespace {
ReencodeError pictureFailure(const std::string &what, int status)
{
    return ReencodeError{ReencodeErrorCode::PictureFailed,
                         "the picture chain " + what + " (" + AvErrorText(status) + ")"};
}
} // namespace

SharePictureFormat SharePictureFormatFor(bool ntsc, bool wide)
{
    if (ntsc)
        return SharePictureFormat{wide ? 854 : 640, 480, AVRational{60000, 1001}};
    return SharePictureFormat{wide ? 1024 : 768, 576, AVRational{50, 1}};
}

void SharePictureChain::GraphFree::operator()(AVFilterGraph *graph) const
{
    avfilter_graph_free(&graph);
}

core::Expected<std::unique_ptr<SharePictureChain>, ReencodeErrorCode> SharePictureChain::create(const Input &input)
{
    std::unique_ptr<SharePictureChain> chain(new SharePictureChain());
    chain->m_format = SharePictureFormatFor(input.height == 480, input.wide);
    chain->m_graph.reset(avfilter_graph_alloc());
    if (!chain->m_graph)
        return pictureFailure("cannot be made", AVERROR(ENOMEM));
    AVFilterGraph *graph = chain->m_graph.get();

    // The DV picture's own pixel shape, so the chain knows the picture it scales.
    const AVRational pixel = input.height == 480 ? (input.wide ? AVRational{40, 33} : AVRational{10, 11})
                                                 : (input.wide ? AVRational{64, 45} : AVRational{16, 15});
    const std::string sourceArgs =
        "video_size=" + std::to_string(input.width) + "x" + std::to_string(input.height)
        + ":pix_fmt=" + std::to_string(static_cast<int>(input.pixelFormat))
        + ":time_base=" + std::to_string(input.frameRate.den) + "/" + std::to_string(input.frameRate.num)
        + ":frame_rate=" + std::to_string(input.frameRate.num) + "/" + std::to_string(input.frameRate.den)
        + ":pixel_aspect=" + std::to_string(pixel.num) + "/" + std::to_string(pixel.den);
    int status = avfilter_graph_create_filter(&chain->m_source, avfilter_get_by_name("buffer"), "in",
                                              sourceArgs.c_str(), nullptr, graph);
    if (status < 0)
        return pictureFailure("refused the decoded pictures", status);
    status = avfilter_graph_create_filter(&chain->m_sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                          graph);
    if (status < 0)
        return pictureFailure("cannot be made", status);

    AVFilterInOut *outputs = avfilter_inout_alloc();
    AVFilterInOut *inputs = avfilter_inout_alloc();
    outputs->name = av_strdup("in");
    outputs->filter_ctx = chain->m_source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = chain->m_sink;
    const std::string description = "bwdif=mode=send_field,scale=" + std::to_string(chain->m_format.width) + ":"
                                    + std::to_string(chain->m_format.height) + ",setsar=1,format=yuv420p";
    status = avfilter_graph_parse_ptr(graph, description.c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (status < 0)
        return pictureFailure("cannot be described", status);
    if (status = avfilter_graph_config(graph, nullptr); status < 0)
        return pictureFailure("cannot be joined", status);
    return chain;
}

SharePictureChain::~SharePictureChain() = default;

AVRational SharePictureChain::timeBase() const
{
    return av_buffersink_get_time_base(m_sink);
}

core::Expected<bool, ReencodeErrorCode> SharePictureChain::push(AVFrame *picture)
{
    const int status = av_buffersrc_add_frame_flags(m_source, picture, AV_BUFFERSRC_FLAG_KEEP_REF);
    if (status < 0)
        return pictureFailure("refused a picture", status);
    return true;
}

core::Expected<bool, ReencodeErrorCode> SharePictureChain::pull(AVFrame *out)
{
    const int status = av_buffersink_get_frame(m_sink, out);
    if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
        return false;
    if (status < 0)
        return pictureFailure("failed", status);
    return true;
}

} // namespace camlog::media
