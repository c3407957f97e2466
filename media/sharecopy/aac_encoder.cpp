// AAC sound through FFmpeg's own encoder.
#include "media/sharecopy/aac_encoder.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>

namespace camlog::media {

namespace {
ReencodeError audioFailure(const std::string &what, int status)
{
    return ReencodeError{ReencodeErrorCode::AudioFailed, "the AAC encoder " + what + " (" + AvErrorText(status) + ")"};
}
} // namespace

void AacEncoder::FifoFree::operator()(AVAudioFifo *fifo) const
{
    av_audio_fifo_free(fifo);
}

AacEncoder::~AacEncoder() = default;

core::Expected<std::unique_ptr<AacEncoder>, ReencodeErrorCode> AacEncoder::create(int rate, int channels)
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr)
        return ReencodeError{ReencodeErrorCode::AudioFailed, "FFmpeg was built without an AAC encoder"};
    std::unique_ptr<AacEncoder> encoder(new AacEncoder());
    encoder->m_context.reset(avcodec_alloc_context3(codec));
    if (!encoder->m_context)
        return audioFailure("cannot be made", AVERROR(ENOMEM));
    AVCodecContext &c = *encoder->m_context;
    c.sample_rate = rate;
    c.sample_fmt = AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&c.ch_layout, channels);
    c.bit_rate = kBitRate;
    c.time_base = AVRational{1, rate};
    c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (int status = avcodec_open2(&c, codec, nullptr); status < 0)
        return audioFailure("refused " + std::to_string(rate) + " Hz, " + std::to_string(channels) + " channels",
                            status);
    encoder->m_fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, c.frame_size * 4));
    encoder->m_block.reset(av_frame_alloc());
    encoder->m_converted.reset(av_frame_alloc());
    if (!encoder->m_fifo || !encoder->m_block || !encoder->m_converted)
        return audioFailure("cannot be made", AVERROR(ENOMEM));
    return encoder;
}

core::Expected<bool, ReencodeErrorCode> AacEncoder::send(const AVFrame &sound, int skip, int count)
{
    const AVCodecContext &c = *m_context;
    if (!m_converter || m_inputFormat != sound.format) {
        SwrContext *converter = nullptr;
        // FFmpeg 5 takes the layouts by non-const pointer; it only reads them.
        int status = swr_alloc_set_opts2(&converter, const_cast<AVChannelLayout *>(&c.ch_layout), c.sample_fmt,
                                         c.sample_rate, const_cast<AVChannelLayout *>(&sound.ch_layout),
                                         static_cast<AVSampleFormat>(sound.format), sound.sample_rate, 0, nullptr);
        if (status >= 0)
            status = swr_init(converter);
        m_converter.reset(converter);
        if (status < 0)
            return audioFailure("cannot convert the decoded sound", status);
        m_inputFormat = sound.format;
    }
    AVFrame &converted = *m_converted;
    av_frame_unref(&converted);
    converted.format = c.sample_fmt;
    converted.sample_rate = c.sample_rate;
    av_channel_layout_copy(&converted.ch_layout, &c.ch_layout);
    converted.nb_samples = sound.nb_samples;
    if (int status = av_frame_get_buffer(&converted, 0); status < 0)
        return audioFailure("has no memory for the sound", status);
    const int done = swr_convert(m_converter.get(), converted.extended_data, converted.nb_samples,
                                 const_cast<const std::uint8_t **>(sound.extended_data), sound.nb_samples);
    if (done < 0)
        return audioFailure("cannot convert the decoded sound", done);
    skip = std::clamp(skip, 0, done);
    const int kept = count < 0 ? done - skip : std::clamp(count, 0, done - skip);
    if (kept > 0) {
        void *planes[AV_NUM_DATA_POINTERS] = {};
        for (int ch = 0; ch < c.ch_layout.nb_channels && ch < AV_NUM_DATA_POINTERS; ++ch)
            planes[ch] = converted.extended_data[ch] + static_cast<std::size_t>(skip) * sizeof(float);
        if (int status = av_audio_fifo_write(m_fifo.get(), planes, kept); status < 0)
            return audioFailure("has no memory for the sound", status);
    }
    return encodeBlocks(false);
}

core::Expected<bool, ReencodeErrorCode> AacEncoder::encodeBlocks(bool all)
{
    const AVCodecContext &c = *m_context;
    while (av_audio_fifo_size(m_fifo.get()) >= c.frame_size || (all && av_audio_fifo_size(m_fifo.get()) > 0)) {
        AVFrame &block = *m_block;
        av_frame_unref(&block);
        block.nb_samples = std::min(c.frame_size, av_audio_fifo_size(m_fifo.get()));
        block.format = c.sample_fmt;
        block.sample_rate = c.sample_rate;
        av_channel_layout_copy(&block.ch_layout, &c.ch_layout);
        if (int status = av_frame_get_buffer(&block, 0); status < 0)
            return audioFailure("has no memory for the sound", status);
        av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(block.extended_data), block.nb_samples);
        block.pts = m_samples;
        m_samples += block.nb_samples;
        if (int status = avcodec_send_frame(m_context.get(), &block); status < 0)
            return audioFailure("refused the sound", status);
        if (auto collected = collectPackets(); !collected)
            return collected;
    }
    return true;
}

// The encoder takes one block at a time: its packets are taken out after each.
core::Expected<bool, ReencodeErrorCode> AacEncoder::collectPackets()
{
    for (;;) {
        AvPacketPtr packet(av_packet_alloc());
        if (!packet)
            return audioFailure("has no memory for the sound", AVERROR(ENOMEM));
        const int status = avcodec_receive_packet(m_context.get(), packet.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return true;
        if (status < 0)
            return audioFailure("failed", status);
        m_ready.push_back(std::move(packet));
    }
}

core::Expected<bool, ReencodeErrorCode> AacEncoder::finish()
{
    if (auto sent = encodeBlocks(true); !sent)
        return sent;
    const int status = avcodec_send_frame(m_context.get(), nullptr);
    if (status < 0 && status != AVERROR_EOF)
        return audioFailure("cannot end", status);
    return collectPackets();
}

core::Expected<bool, ReencodeErrorCode> AacEncoder::receive(AVPacket *out)
{
    if (m_ready.empty())
        return false;
    av_packet_move_ref(out, m_ready.front().get());
    m_ready.pop_front();
    return true;
}

} // namespace camlog::media
