// Joins a PCM stream into successive DV frames, each frame taking the samples it is due.
#pragma once

#include "media/audio/dv_audio.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace camlog::media {

// The muxer side of type 2 → type 1: the audio of a separate stream (one or two stereo pairs
// at a rate DV carries) queued and handed out frame by frame.
//
// How many samples a frame takes, and how they are stored: when the frame already announces
// audio at the stream's rate (a type 2 file keeps the camera's audio blocks in its video
// frames), it gets back its own count and sample size, so that audio split from a frame and
// joined back gives the very same frame; otherwise the count of DvAudioSamplesForFrame for
// the frame's place in the stream, stored as 16-bit (or 12-bit at 32 kHz when asked). A frame
// with two pairs of its own keeps its second pair when the stream brings only one.
class DvAudioInjector {
public:
    // `sampleRate` one that DV carries (48000, 44100, 32000: convert others first with
    // AudioRateConverter); `channels` 2 or 4 (a second pair is only kept in 12-bit storage);
    // `prefer12Bit` asks for 12-bit storage of 32 kHz audio in frames without audio of their own.
    DvAudioInjector(int sampleRate, int channels, bool prefer12Bit = false);

    // Whether a frame's own audio decides its count and sample size (on, the default). Off,
    // every frame takes the count of its place in the stream, stored as asked: for frames
    // whose own audio is of another recording (a re-encoded tape's, say).
    void setUseFrameAudio(bool use) { m_useFrameAudio = use; }
    // The place in the stream of the next frame joined (it counts on by one per frame): a
    // frame without audio of its own takes the samples due at that place.
    void setNextFrame(std::uint64_t index) { m_nextFrame = index; }

    // Queues interleaved stereo samples (left, right) of pair 0 or 1.
    void push(int pair, std::span<const std::int16_t> samples);
    // Sample frames queued for a pair.
    std::size_t queued(int pair) const;

    // The samples per channel that joinNext would take for this frame.
    std::size_t samplesDue(std::span<const std::uint8_t> frame) const;
    // Writes the next samples into the frame (see JoinDvAudio). When the queue holds fewer
    // than are due (the stream ended early) the rest is silence.
    core::Expected<std::size_t, DvAudioErrorCode> joinNext(std::span<std::uint8_t> frame);

    // The samples of a pair that the last joinNext wrote into its frame, silence included.
    std::span<const std::int16_t> lastJoined(int pair) const;

    std::uint64_t framesJoined() const { return m_frames; }
    // Samples per channel made up with silence so far.
    std::uint64_t silenceAdded() const { return m_silence; }

private:
    DvAudioFormat formatFor(std::span<const std::uint8_t> frame, std::size_t &samples) const;

    int m_sampleRate;
    int m_channels;
    bool m_prefer12Bit;
    bool m_useFrameAudio = true;
    std::uint64_t m_nextFrame = 0;
    std::array<std::vector<std::int16_t>, 2> m_queue;
    std::array<std::size_t, 2> m_head{}; // values already taken from the front of each queue
    DvFrameAudio m_scratch;
    std::uint64_t m_frames = 0;
    std::uint64_t m_silence = 0;
};

} // namespace camlog::media
