// Converts the sample rate of interleaved 16-bit PCM with libswresample, or passes it on unchanged.
#include "media/audio/audio_rate_converter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <string>

namespace camlog::media {

namespace {

AudioRateError Fail(AudioRateErrorCode code, std::string message)
{
    return AudioRateError{code, std::move(message)};
}

} // namespace

AudioRateConverter::AudioRateConverter(int channels, int inputRate, int outputRate)
    : m_channels(channels),
      m_inputRate(inputRate),
      m_outputRate(outputRate)
{
}

AudioRateConverter::~AudioRateConverter()
{
    swr_free(&m_swr);
}

core::Expected<std::unique_ptr<AudioRateConverter>, AudioRateErrorCode>
AudioRateConverter::create(int channels, int inputRate, int outputRate)
{
    if (channels < 1 || channels > 8 || inputRate < 1 || outputRate < 1)
        return Fail(AudioRateErrorCode::BadFormat, "unusable audio format for rate conversion");
    std::unique_ptr<AudioRateConverter> converter(new AudioRateConverter(channels, inputRate, outputRate));
    if (inputRate == outputRate)
        return converter;

    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels);
    const int made = swr_alloc_set_opts2(&converter->m_swr, &layout, AV_SAMPLE_FMT_S16, outputRate, &layout,
                                         AV_SAMPLE_FMT_S16, inputRate, 0, nullptr);
    av_channel_layout_uninit(&layout);
    if (made < 0 || !converter->m_swr || swr_init(converter->m_swr) < 0)
        return Fail(AudioRateErrorCode::ConversionFailed, "the resampler could not be set up");
    return converter;
}

core::Expected<std::size_t, AudioRateErrorCode> AudioRateConverter::convert(std::span<const std::int16_t> input,
                                                                            std::vector<std::int16_t> &output)
{
    const std::size_t inFrames = input.size() / static_cast<std::size_t>(m_channels);
    if (passThrough()) {
        output.insert(output.end(), input.begin(), input.begin() + static_cast<std::ptrdiff_t>(inFrames * m_channels));
        return inFrames;
    }
    if (inFrames == 0)
        return std::size_t{0};
    if (inFrames > static_cast<std::size_t>(INT32_MAX / 4))
        return Fail(AudioRateErrorCode::ConversionFailed, "too many samples in one block");
    return resample(input.data(), inFrames, output);
}

core::Expected<std::size_t, AudioRateErrorCode>
AudioRateConverter::resample(const std::int16_t *input, std::size_t inFrames, std::vector<std::int16_t> &output)
{
    const int room = swr_get_out_samples(m_swr, static_cast<int>(inFrames));
    if (room < 0)
        return Fail(AudioRateErrorCode::ConversionFailed, "the resampler refused the samples");
    const std::size_t start = output.size();
    output.resize(start + static_cast<std::size_t>(room) * m_channels);
    auto *out = reinterpret_cast<std::uint8_t *>(output.data() + start);
    const auto *in = reinterpret_cast<const std::uint8_t *>(input);
    // A null input drains what the filter held back.
    const int got = swr_convert(m_swr, &out, room, input ? &in : nullptr, static_cast<int>(inFrames));
    if (got < 0) {
        output.resize(start);
        return Fail(AudioRateErrorCode::ConversionFailed, "the resampler failed");
    }
    output.resize(start + static_cast<std::size_t>(got) * m_channels);
    return static_cast<std::size_t>(got);
}

core::Expected<std::size_t, AudioRateErrorCode> AudioRateConverter::flush(std::vector<std::int16_t> &output)
{
    if (passThrough())
        return std::size_t{0};
    return resample(nullptr, 0, output);
}

} // namespace camlog::media
