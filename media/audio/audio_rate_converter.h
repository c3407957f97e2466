// Converts the sample rate of interleaved 16-bit PCM with libswresample, or passes it on unchanged.
#pragma once

#include "core/expected.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct SwrContext;

namespace camlog::media {

enum class AudioRateErrorCode {
    BadFormat,        // no channels, or a rate that is not positive
    ConversionFailed, // libswresample refused the setup or a conversion
};
using AudioRateError = core::Error<AudioRateErrorCode>;

// The audio converter at a forced output rate: PCM whose rate already is the target passes
// through untouched (no resampler is made); otherwise libswresample converts it. Samples are
// interleaved signed 16-bit, `channels` per sample frame, host byte order.
class AudioRateConverter {
public:
    static core::Expected<std::unique_ptr<AudioRateConverter>, AudioRateErrorCode> create(int channels, int inputRate,
                                                                                          int outputRate);
    ~AudioRateConverter();
    AudioRateConverter(const AudioRateConverter &) = delete;
    AudioRateConverter &operator=(const AudioRateConverter &) = delete;

    bool passThrough() const { return m_swr == nullptr; }
    int channels() const { return m_channels; }
    int inputRate() const { return m_inputRate; }
    int outputRate() const { return m_outputRate; }

    // Converts `input` (a whole number of sample frames) and appends the result to `output`;
    // returns the sample frames appended. The resampler keeps a few samples back for its
    // filter: flush() appends them at the end of the stream.
    core::Expected<std::size_t, AudioRateErrorCode> convert(std::span<const std::int16_t> input,
                                                            std::vector<std::int16_t> &output);
    core::Expected<std::size_t, AudioRateErrorCode> flush(std::vector<std::int16_t> &output);

private:
    AudioRateConverter(int channels, int inputRate, int outputRate);
    // Runs the resampler; a null input drains it.
    core::Expected<std::size_t, AudioRateErrorCode> resample(const std::int16_t *input, std::size_t inFrames,
                                                             std::vector<std::int16_t> &output);

    int m_channels;
    int m_inputRate;
    int m_outputRate;
    SwrContext *m_swr = nullptr;
};

} // namespace camlog::media
