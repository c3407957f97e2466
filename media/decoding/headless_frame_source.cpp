// The frames of a DV file for scene details without a window: datecode, timecode and picture decoded from the file.
#include "media/decoding/headless_frame_source.h"

#include "core/dv_frame.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <utility>

namespace camlog::media {

namespace {

struct CodecContextFree {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct SwsFree {
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;

FrameSourceErrorCode fromReadError(ReadErrorCode code)
{
    switch (code) {
    case ReadErrorCode::NotFound:
        return FrameSourceErrorCode::NotFound;
    case ReadErrorCode::Unreadable:
        return FrameSourceErrorCode::Unreadable;
    case ReadErrorCode::NotAvi:
    case ReadErrorCode::NoDvStream:
        break;
    }
    return FrameSourceErrorCode::NotDv;
}

} // namespace

struct HeadlessFrameSource::Decoder {
    CodecContextPtr context;
    FramePtr decoded;
    FramePtr bgr; // FFmpeg's own padded buffer: the scaler may write past a tight row
    PacketPtr packet;
    SwsPtr scaler;
};

core::Expected<std::unique_ptr<HeadlessFrameSource>, FrameSourceErrorCode>
HeadlessFrameSource::open(const std::filesystem::path &path)
{
    auto reader = DvFrameReader::open(path);
    if (!reader)
        return FrameSourceError{fromReadError(reader.error().code), reader.error().message};

    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    if (codec == nullptr)
        return FrameSourceError{FrameSourceErrorCode::NoDecoder, "No DV video decoder in the FFmpeg libraries"};
    auto decoder = std::make_unique<Decoder>();
    decoder->context.reset(avcodec_alloc_context3(codec));
    decoder->decoded.reset(av_frame_alloc());
    decoder->bgr.reset(av_frame_alloc());
    decoder->packet.reset(av_packet_alloc());
    if (!decoder->context || !decoder->decoded || !decoder->bgr || !decoder->packet)
        return FrameSourceError{FrameSourceErrorCode::NoDecoder, "Out of memory for the DV video decoder"};
    // One packet in, its picture out at once: no frame threads holding pictures back.
    decoder->context->thread_count = 1;
    if (avcodec_open2(decoder->context.get(), codec, nullptr) < 0)
        return FrameSourceError{FrameSourceErrorCode::NoDecoder, "The DV video decoder cannot be opened"};

    return std::unique_ptr<HeadlessFrameSource>(new HeadlessFrameSource(std::move(reader).value(), std::move(decoder)));
}

HeadlessFrameSource::HeadlessFrameSource(std::unique_ptr<DvFrameReader> reader, std::unique_ptr<Decoder> decoder)
    : m_reader(std::move(reader)),
      m_decoder(std::move(decoder))
{
}

HeadlessFrameSource::~HeadlessFrameSource() = default;

bool HeadlessFrameSource::frameAt(std::int64_t frameIndex, scenes::FrameInfo &out, bool withPicture)
{
    out = scenes::FrameInfo{};
    if (frameIndex < 0 || static_cast<std::uint64_t>(frameIndex) >= m_reader->frameCount())
        return false;
    if (!m_reader->readFrame(static_cast<std::size_t>(frameIndex), m_frame))
        return false;
    const int nseq = core::SequencesForFrameSize(m_frame.size());
    if (nseq == 0)
        return false;

    scenes::DecodeFrameRecord(m_frame, nseq, m_record);
    out.datecodeValid = m_record.datecodeValid;
    out.datecode = m_record.datecode;
    out.timecodeValid = m_record.timecodeValid;
    out.timecode = m_record.timecode;
    if (!withPicture)
        return true;
    if (decodePicture(out.picture))
        return true;
    out.picture = scenes::BgrPicture{};
    return false;
}

bool HeadlessFrameSource::decodePicture(scenes::BgrPicture &out)
{
    Decoder &d = *m_decoder;
    AVCodecContext *context = d.context.get();
    av_packet_unref(d.packet.get());
    if (av_new_packet(d.packet.get(), static_cast<int>(m_frame.size())) < 0)
        return false;
    std::memcpy(d.packet->data, m_frame.data(), m_frame.size());

    av_frame_unref(d.decoded.get());
    if (avcodec_send_packet(context, d.packet.get()) < 0 || avcodec_receive_frame(context, d.decoded.get()) < 0) {
        // Whatever the decoder still holds belongs to the failed frame.
        avcodec_flush_buffers(context);
        return false;
    }
    const AVFrame &picture = *d.decoded;
    const int width = picture.width;
    const int height = picture.height;
    if (width <= 0 || height <= 0)
        return false;

    SwsContext *scaler =
        sws_getCachedContext(d.scaler.release(), width, height, static_cast<AVPixelFormat>(picture.format), width,
                             height, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    d.scaler.reset(scaler);
    if (scaler == nullptr)
        return false;

    AVFrame &bgr = *d.bgr;
    if (bgr.width != width || bgr.height != height) {
        av_frame_unref(&bgr);
        bgr.format = AV_PIX_FMT_BGR24;
        bgr.width = width;
        bgr.height = height;
        if (av_frame_get_buffer(&bgr, 0) < 0) {
            av_frame_unref(&bgr);
            return false;
        }
    }
    if (sws_scale(scaler, picture.data, picture.linesize, 0, height, bgr.data, bgr.linesize) != height)
        return false;

    out.reset(width, height);
    const std::size_t rowBytes = static_cast<std::size_t>(3) * static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y)
        std::memcpy(out.row(y), bgr.data[0] + static_cast<std::ptrdiff_t>(y) * bgr.linesize[0], rowBytes);
    return true;
}

} // namespace camlog::media
