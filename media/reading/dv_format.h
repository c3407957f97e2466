// The DV systems (their DIF sequences, frame size and frame rate) and the formats of the DV AVI
// files the program writes: the one vocabulary of the reading, the writing and the re-encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace camlog::media {

// 625/50: 12 DIF sequences, 144 000 bytes, 25 frames a second;
// 525/60: 10 DIF sequences, 120 000 bytes, 30000/1001 frames a second.
enum class DvSystem { Pal, Ntsc };

constexpr int dvSequences(DvSystem system)
{
    return system == DvSystem::Pal ? 12 : 10;
}

constexpr std::size_t dvFrameSize(DvSystem system)
{
    return system == DvSystem::Pal ? 144000 : 120000;
}

// The frame rate as a fraction, and its whole frames a second (the timecode's count).
constexpr int dvRateNumerator(DvSystem system)
{
    return system == DvSystem::Pal ? 25 : 30000;
}

constexpr int dvRateDenominator(DvSystem system)
{
    return system == DvSystem::Pal ? 1 : 1001;
}

constexpr int dvTimecodeFrames(DvSystem system)
{
    return system == DvSystem::Pal ? 25 : 30;
}

constexpr double dvFrameSeconds(DvSystem system)
{
    return static_cast<double>(dvRateDenominator(system)) / dvRateNumerator(system);
}

// 100-ns units per frame, rounded: 400 000 or 333 667.
constexpr std::int64_t dvFrameDuration(DvSystem system)
{
    return system == DvSystem::Pal ? 400000 : 333667;
}

// The system of a frame of `sequences` DIF sequences (10 or 12); nothing for any other count.
constexpr std::optional<DvSystem> dvSystemOfSequences(int sequences)
{
    if (sequences == 12)
        return DvSystem::Pal;
    if (sequences == 10)
        return DvSystem::Ntsc;
    return std::nullopt;
}

// The system of a DV frame of `size` bytes; nothing for a size no DV frame has.
constexpr std::optional<DvSystem> dvSystemOfFrameSize(std::size_t size)
{
    if (size == dvFrameSize(DvSystem::Pal))
        return DvSystem::Pal;
    if (size == dvFrameSize(DvSystem::Ntsc))
        return DvSystem::Ntsc;
    return std::nullopt;
}

// Type 1: one interleaved iavs stream; type 2: DV video plus PCM audio streams.
enum class DvAviType { Type1, Type2 };

// One PCM stream of a type 2 file: 16-bit little-endian samples, channels interleaved.
struct AviPcmFormat {
    std::uint32_t sampleRate = 48000;
    std::uint16_t channels = 2;
    bool operator==(const AviPcmFormat &) const = default;
};

struct DvAviFormat {
    // The first RIFF stays within 1 GB so that readers without OpenDML support play it;
    // later RIFFs (AVIX) are held to the same size. Tests lower it to force several RIFFs.
    static constexpr std::uint64_t kDefaultRiffSizeLimit = 1000ull * 1000 * 1000;

    DvAviType type = DvAviType::Type2;
    DvSystem system = DvSystem::Pal;
    bool wide = false; // 16:9 picture, else 4:3
    // Type 2: one entry per audio stream (usually one; none for a silent file). Type 1
    // ignores it: the audio lies inside the DV frames.
    std::vector<AviPcmFormat> audio{AviPcmFormat{}};
    std::uint64_t riffSizeLimit = kDefaultRiffSizeLimit;

    // PAL or NTSC from the frame size, 4:3 or 16:9 from its VAUX packs, audio from its AAUX
    // source pack (the rate and channel count of the first audio pair, 16 bits; no audio
    // stream when the frame has no audio); nothing when the buffer is not a DV frame.
    static std::optional<DvAviFormat> fromFrame(std::span<const std::uint8_t> dvFrame, DvAviType type);

    std::uint32_t frameSize() const { return static_cast<std::uint32_t>(dvFrameSize(system)); }
};

} // namespace camlog::media
