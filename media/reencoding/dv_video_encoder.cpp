// Encodes DV pictures into DV frames with FFmpeg's dvvideo encoder.
#include "media/reencoding/dv_video_encoder.h"

#include <cerrno>

namespace camlog::media {

DvVideoEncoder::~DvVideoEncoder() = default;

core::Expected<std::unique_ptr<DvVideoEncoder>, ReencodeErrorCode> DvVideoEncoder::create(const DvPictureFormat &format)
{
    using Failure = ReencodeError;
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
    if (codec == nullptr)
        return Failure{ReencodeErrorCode::EncodeFailed, "No DV video encoder in the FFmpeg libraries"};
    std::unique_ptr<DvVideoEncoder> encoder(new DvVideoEncoder());
    encoder->m_context.reset(avcodec_alloc_context3(codec));
    encoder->m_packet.reset(av_packet_alloc());
    if (!encoder->m_context || !encoder->m_packet)
        return Failure{ReencodeErrorCode::EncodeFailed, "Out of memory for the DV video encoder"};
    AVCodecContext &context = *encoder->m_context;
    context.width = format.width();
    context.height = format.height();
    context.pix_fmt = format.pixelFormat();
    // The encoder picks the DV profile from size, pixel format and rate, and writes 16:9 in
    // the frame's VAUX packs when the pixel aspect makes the frame that wide.
    context.time_base = format.system == DvSystem::Pal ? AVRational{1, 25} : AVRational{1001, 30000};
    context.framerate = av_inv_q(context.time_base);
    context.sample_aspect_ratio = format.pixelAspect();
    // One thread: the re-encoding runs encoders side by side, which costs less processor
    // time than FFmpeg's slice threads.
    context.thread_count = 1;
    if (const int status = avcodec_open2(&context, codec, nullptr); status < 0)
        return Failure{ReencodeErrorCode::EncodeFailed,
                       "The DV video encoder refused its setup (" + AvErrorText(status) + ")"};
    return encoder;
}

core::Expected<std::span<std::uint8_t>, ReencodeErrorCode> DvVideoEncoder::encode(const AVFrame &picture)
{
    using Failure = ReencodeError;
    // The encoder reads the picture as its own size and format: anything else would be read
    // past its end.
    if (picture.width != m_context->width || picture.height != m_context->height
        || picture.format != m_context->pix_fmt)
        return Failure{ReencodeErrorCode::EncodeFailed,
                       "The DV video encoder refused a picture of another size or format"};
    AVFrame *frame = const_cast<AVFrame *>(&picture); // FFmpeg's API takes a non-const frame it does not change
    frame->pts = m_next++;
    if (const int status = avcodec_send_frame(m_context.get(), frame); status < 0)
        return Failure{ReencodeErrorCode::EncodeFailed,
                       "The DV video encoder refused a picture (" + AvErrorText(status) + ")"};
    av_packet_unref(m_packet.get());
    if (const int status = avcodec_receive_packet(m_context.get(), m_packet.get()); status < 0)
        return Failure{ReencodeErrorCode::EncodeFailed,
                       "The DV video encoder gave no frame (" + AvErrorText(status) + ")"};
    // The caller writes the sound and the recording data into the frame.
    if (av_packet_make_writable(m_packet.get()) < 0)
        return Failure{ReencodeErrorCode::EncodeFailed, "Out of memory for a DV frame"};
    return std::span<std::uint8_t>(m_packet->data, static_cast<std::size_t>(m_packet->size));
}

} // namespace camlog::media
