// The audio inside DV frames: its format, the split into PCM and the join of PCM back into frames.
#pragma once

#include "core/expected.h"
#include "media/reading/dv_format.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace camlog::media {

// The audio of a 25 Mbit/s DV frame. Each half of the frame's DIF sequences carries one
// stereo pair: 16-bit linear uses the first half for the left channel and the second half
// for the right one; 12-bit nonlinear (32 kHz only) packs both channels of a pair into
// each half, so a frame holds two pairs (4 channels) or one pair and a silent half.
struct DvAudioFormat {
    int sampleRate = 0;    // 48000, 44100 or 32000
    int channels = 0;      // 2, or 4 (12-bit only: two stereo pairs)
    int bitsPerSample = 0; // as stored in the frame: 16 linear, or 12 nonlinear (split expands it to 16)
    DvSystem system = DvSystem::Pal;
    int pairs() const { return channels > 2 ? 2 : 1; }
    bool operator==(const DvAudioFormat &) const = default;
};

enum class DvAudioErrorCode {
    NotDvFrame,        // the buffer is not 120000 or 144000 bytes, or not of the format's system
    NoAudio,           // no AAUX source pack in the audio blocks
    UnsupportedFormat, // a rate, quantisation or channel layout that 25 Mbit/s DV cannot carry
    BadSampleCount,    // more samples than the frame holds, or fewer than its rate allows
};
using DvAudioError = core::Error<DvAudioErrorCode>;

// The PCM of one frame: 16-bit signed samples in host byte order (little-endian here),
// interleaved left, right; one buffer per stereo pair (pair 1 empty for 2 channels).
struct DvFrameAudio {
    DvAudioFormat format;
    std::size_t samples = 0; // per channel
    std::array<std::vector<std::int16_t>, 2> pairs;
};

// The format of the frame's audio and the number of samples per channel it carries, from the
// AAUX source pack of the first DIF sequence that has one; the system comes from the frame's
// size (a damaged header byte does not matter). 12-bit audio counts 4 channels when the second half of the frame carries a
// pair of its own (its source pack says so), 2 otherwise.
struct DvAudioInfo {
    DvAudioFormat format;
    std::size_t samples = 0;
};
core::Expected<DvAudioInfo, DvAudioErrorCode> ReadDvAudioInfo(std::span<const std::uint8_t> frame);

// De-shuffles the audio of one whole frame into PCM (12-bit samples expanded to 16 bits),
// reusing the buffers of `out`; returns the samples per channel. A sample stored as the DV
// error code (0x8000, or 0x800 in 12-bit) comes out as silence. Never reads outside the
// buffer; any buffer that is not a DV frame with readable audio gives an error (and `out`
// is then left empty).
core::Expected<std::size_t, DvAudioErrorCode> SplitDvAudio(std::span<const std::uint8_t> frame, DvFrameAudio &out);

// Writes PCM into the audio blocks of one whole frame: the samples (shuffled, and compressed
// to 12 bits for a 12-bit format) and the AAUX source and source-control packs. Everything
// else stays byte for byte as it was: the header, subcode, VAUX and video blocks, the other
// AAUX packs (recording date and time), and the sample places past the frame's count. When
// the frame has no source pack yet (audio blocks blank), the packs are written at their
// usual places in the blocks.
// `audio.format.system` must match the frame; `audio.samples` must lie within what one frame
// may carry at the rate (DvAudioMinSamples to DvAudioMaxSamples; DvAudioSamplesForFrame gives
// the count that keeps step with the pictures), and each pair buffer must hold samples × 2
// values. A sample of -32768 is written as -32767, as the lowest value is the
// DV error code. Returns the samples per channel written; on an error the frame is unchanged.
core::Expected<std::size_t, DvAudioErrorCode> JoinDvAudio(std::span<std::uint8_t> frame, const DvFrameAudio &audio);

// How many samples per channel frame number `frameIndex` (0-based, counted from the start of
// the stream) carries at this rate, so that the audio stays in step with the pictures:
// 625/50 1920, 1764, 1280 at 48, 44.1, 32 kHz; 525/60 at 48 kHz the locked pattern
// 1600, 1602, 1602, 1602, 1602, and at 44.1 and 32 kHz the whole-sample rounding of the
// exact running total (rate × 1001 / 30000 per frame). 0 for a rate DV cannot carry.
std::size_t DvAudioSamplesForFrame(int sampleRate, DvSystem system, std::uint64_t frameIndex);

// The fewest and the most samples per channel one frame may carry at this rate.
std::size_t DvAudioMinSamples(int sampleRate, DvSystem system);
std::size_t DvAudioMaxSamples(int sampleRate, DvSystem system);

} // namespace camlog::media
