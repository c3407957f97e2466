// Turns decoded sound of any sample format, layout and rate into interleaved 16-bit PCM at a
// chosen rate, with libswresample.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace camlog::media {

class DecodedAudioConverter {
public:
    // channels 0 keeps the source's channel count (taken from the first block); a mono
    // source made stereo is heard at the same level on both sides.
    DecodedAudioConverter(int outputRate, int channels) : m_outputRate(outputRate), m_channels(channels) {}
    ~DecodedAudioConverter();

    // Appends the block's samples, converted, to `output`; returns the sample frames
    // appended. The resampler holds a few back: flush() appends them at the end. A source
    // whose format changes on the way is followed.
    core::Expected<std::size_t, ReencodeErrorCode> convert(const AVFrame &block, std::vector<std::int16_t> &output);
    core::Expected<std::size_t, ReencodeErrorCode> flush(std::vector<std::int16_t> &output);

    int outputRate() const { return m_outputRate; }
    // The channels written: known after the first block when the source's count is kept.
    int channels() const { return m_channels; }

private:
    core::Expected<std::size_t, ReencodeErrorCode> setUp(const AVFrame &block, std::vector<std::int16_t> &output);
    core::Expected<std::size_t, ReencodeErrorCode> run(const std::uint8_t *const *input, int inSamples,
                                                       std::vector<std::int16_t> &output);

    int m_outputRate;
    int m_channels;
    SwrContextPtr m_swr;
    int m_inputFormat = -1;
    int m_inputRate = 0;
    AVChannelLayout m_inputLayout{};
};

} // namespace camlog::media
