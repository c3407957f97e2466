// AAC sound through FFmpeg's own encoder, at the tape's rate and 192 kb/s.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"

#include <cstdint>
#include <deque>
#include <memory>

struct AVAudioFifo;

namespace camlog::media {

// Decoded sound of any sample format in, AAC packets out. The sound is converted to the
// encoder's planar floats and cut into the encoder's blocks of 1024 samples; the packets'
// times count samples from the first one given (time base 1 / rate).
class AacEncoder {
public:
    static constexpr std::int64_t kBitRate = 192'000;

    // rate and channels: the decoded sound's (the output keeps both).
    static core::Expected<std::unique_ptr<AacEncoder>, ReencodeErrorCode> create(int rate, int channels);
    ~AacEncoder();
    AacEncoder(const AacEncoder &) = delete;
    AacEncoder &operator=(const AacEncoder &) = delete;

    // The samples [skip, skip + count) of a decoded block (count < 0: to its end).
    core::Expected<bool, ReencodeErrorCode> send(const AVFrame &sound, int skip = 0, int count = -1);
    // The last samples, padded by the encoder; then the encoder's end.
    core::Expected<bool, ReencodeErrorCode> finish();
    // True with a packet in out; false when the encoder wants more sound or has given everything.
    core::Expected<bool, ReencodeErrorCode> receive(AVPacket *out);

    const AVCodecContext &context() const { return *m_context; }
    std::int64_t samplesSent() const { return m_samples; }

private:
    AacEncoder() = default;
    core::Expected<bool, ReencodeErrorCode> encodeBlocks(bool all);
    core::Expected<bool, ReencodeErrorCode> collectPackets();

    struct FifoFree {
        void operator()(AVAudioFifo *fifo) const;
    };
    CodecContextPtr m_context;
    SwrContextPtr m_converter;
    std::unique_ptr<AVAudioFifo, FifoFree> m_fifo;
    AvFramePtr m_block;
    AvFramePtr m_converted;
    std::deque<AvPacketPtr> m_ready; // packets the encoder gave, not yet taken
    std::int64_t m_samples = 0;      // samples handed to the encoder
    int m_inputFormat = -1;          // the sample format the converter was set up for
};

} // namespace camlog::media
