// Turns decoded sound into interleaved 16-bit PCM at a chosen rate, with libswresample.
#include "media/decoding/decoded_audio_converter.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace camlog::media {

namespace {

// AVI sound often comes without a channel layout: the usual one for its channel count.
AVChannelLayout layoutOf(const AVFrame &block)
{
    AVChannelLayout layout{};
    if (block.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_copy(&layout, &block.ch_layout) < 0)
        av_channel_layout_default(&layout, block.ch_layout.nb_channels);
    return layout;
}

} // namespace

DecodedAudioConverter::~DecodedAudioConverter()
{
    av_channel_layout_uninit(&m_inputLayout);
}

core::Expected<std::size_t, ReencodeErrorCode> DecodedAudioConverter::setUp(const AVFrame &block,
                                                                            std::vector<std::int16_t> &output)
{
    std::size_t flushed = 0;
    if (m_swr) {
        auto rest = flush(output);
        if (!rest)
            return rest;
        flushed = rest.value();
    }
    av_channel_layout_uninit(&m_inputLayout);
    m_inputLayout = layoutOf(block);
    m_inputFormat = block.format;
    m_inputRate = block.sample_rate;
    if (m_channels <= 0)
        m_channels = m_inputLayout.nb_channels;
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, m_channels);
    SwrContext *swr = nullptr;
    const int status = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, m_outputRate, &m_inputLayout,
                                           static_cast<AVSampleFormat>(block.format), block.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    m_swr.reset(swr);
    if (status < 0 || !m_swr)
        return ReencodeError{ReencodeErrorCode::AudioFailed, "the sound's format cannot be converted"};
    av_opt_set_double(swr, "center_mix_level", 1.0, 0);
    if (const int init = swr_init(swr); init < 0)
        return ReencodeError{ReencodeErrorCode::AudioFailed, "the sound cannot be converted to "
                                                                 + std::to_string(m_outputRate) + " Hz ("
                                                                 + AvErrorText(init) + ")"};
    return flushed;
}

core::Expected<std::size_t, ReencodeErrorCode> DecodedAudioConverter::convert(const AVFrame &block,
                                                                              std::vector<std::int16_t> &output)
{
    if (block.sample_rate <= 0 || block.ch_layout.nb_channels <= 0)
        return ReencodeError{ReencodeErrorCode::AudioFailed, "a block of sound has no rate or no channel"};
    std::size_t done = 0;
    const bool sameLayout = block.ch_layout.nb_channels == m_inputLayout.nb_channels;
    if (!m_swr || block.format != m_inputFormat || block.sample_rate != m_inputRate || !sameLayout) {
        auto set = setUp(block, output);
        if (!set)
            return set;
        done = set.value();
    }
    auto converted = run(block.extended_data, block.nb_samples, output);
    if (!converted)
        return converted;
    return done + converted.value();
}

core::Expected<std::size_t, ReencodeErrorCode> DecodedAudioConverter::flush(std::vector<std::int16_t> &output)
{
    if (!m_swr)
        return std::size_t{0};
    return run(nullptr, 0, output);
}

core::Expected<std::size_t, ReencodeErrorCode>
DecodedAudioConverter::run(const std::uint8_t *const *input, int inSamples, std::vector<std::int16_t> &output)
{
    const int room = swr_get_out_samples(m_swr.get(), inSamples);
    if (room < 0)
        return ReencodeError{ReencodeErrorCode::AudioFailed, "the sound cannot be converted"};
    const std::size_t at = output.size();
    output.resize(at + static_cast<std::size_t>(room) * static_cast<std::size_t>(m_channels));
    auto *out = reinterpret_cast<std::uint8_t *>(output.data() + at);
    const int got = swr_convert(m_swr.get(), &out, room, const_cast<const std::uint8_t **>(input), inSamples);
    if (got < 0) {
        output.resize(at);
        return ReencodeError{ReencodeErrorCode::AudioFailed,
                             "the sound cannot be converted (" + AvErrorText(got) + ")"};
    }
    output.resize(at + static_cast<std::size_t>(got) * static_cast<std::size_t>(m_channels));
    return static_cast<std::size_t>(got);
}

} // namespace camlog::media
