// H.264 pictures through libx264.
#include "media/sharecopy/h264_encoder.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace camlog::media {

namespace {
ReencodeError encodeFailure(const std::string &what, int status)
{
    return ReencodeError{ReencodeErrorCode::EncodeFailed,
                         "the H.264 encoder " + what + " (" + AvErrorText(status) + ")"};
}
} // namespace

core::Expected<std::unique_ptr<H264Encoder>, ReencodeErrorCode> H264Encoder::create(const H264Settings &settings)
{
    const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr)
        return ReencodeError{ReencodeErrorCode::EncodeFailed, "FFmpeg was built without libx264: no H.264 encoder"};
    std::unique_ptr<H264Encoder> encoder(new H264Encoder());
    encoder->m_context.reset(avcodec_alloc_context3(codec));
    if (!encoder->m_context)
        return encodeFailure("cannot be made", AVERROR(ENOMEM));
    AVCodecContext &c = *encoder->m_context;
    c.width = settings.width;
    c.height = settings.height;
    c.pix_fmt = AV_PIX_FMT_YUV420P;
    c.time_base = settings.timeBase;
    c.framerate = settings.pictureRate;
    c.sample_aspect_ratio = AVRational{1, 1};
    c.field_order = AV_FIELD_PROGRESSIVE;
    c.color_range = AVCOL_RANGE_MPEG;
    c.colorspace = settings.ntsc ? AVCOL_SPC_SMPTE170M : AVCOL_SPC_BT470BG;
    c.color_primaries = settings.ntsc ? AVCOL_PRI_SMPTE170M : AVCOL_PRI_BT470BG;
    c.color_trc = settings.ntsc ? AVCOL_TRC_SMPTE170M : AVCOL_TRC_GAMMA28;
    c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (int status = av_opt_set(c.priv_data, "preset", settings.preset.c_str(), 0); status < 0)
        return encodeFailure("does not know the preset \"" + settings.preset + "\"", status);
    if (int status = av_opt_set_double(c.priv_data, "crf", settings.crf, 0); status < 0)
        return encodeFailure("refused the quality " + std::to_string(settings.crf), status);
    if (int status = avcodec_open2(&c, codec, nullptr); status < 0)
        return encodeFailure("refused its settings (preset \"" + settings.preset + "\", quality "
                                 + std::to_string(settings.crf) + ")",
                             status);
    return encoder;
}

core::Expected<bool, ReencodeErrorCode> H264Encoder::send(const AVFrame *picture)
{
    const int status = avcodec_send_frame(m_context.get(), picture);
    if (status < 0 && status != AVERROR_EOF)
        return encodeFailure("refused a picture", status);
    return true;
}

core::Expected<bool, ReencodeErrorCode> H264Encoder::receive(AVPacket *out)
{
    const int status = avcodec_receive_packet(m_context.get(), out);
    if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
        return false;
    if (status < 0)
        return encodeFailure("failed", status);
    return true;
}

} // namespace camlog::media
