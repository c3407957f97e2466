// Where each audio sample lies inside a 25 Mbit/s DV frame, and the 12-bit nonlinear sample code.
#include "media/audio/dv_audio_layout.h"

#include <array>
#include <bit>
#include <vector>

namespace camlog::media::dv_audio {

namespace {

constexpr int kBlocksPerSequence = 9;
constexpr int kDataStart = 8; // after the 3-byte block ID and the 5-byte AAUX pack

int SequencesPerHalf(DvSystem system)
{
    return dvSequences(system) / 2;
}
DvSystem SystemAt(int pal)
{
    return pal != 0 ? DvSystem::Pal : DvSystem::Ntsc;
}

// One table per system, half and sample size, built once.
struct OffsetTables {
    std::array<std::array<std::vector<std::uint32_t>, 2>, 2> of16; // [pal][half]
    std::array<std::array<std::vector<std::uint32_t>, 2>, 2> of12;

    OffsetTables()
    {
        for (int pal = 0; pal < 2; ++pal) {
            const int h = SequencesPerHalf(SystemAt(pal));
            for (int half = 0; half < 2; ++half) {
                of16[pal][half] = build(h, half, Capacity16(SystemAt(pal)), 2);
                of12[pal][half] = build(h, half, Capacity12(SystemAt(pal)), 3);
            }
        }
    }

    static std::vector<std::uint32_t> build(int h, int half, std::size_t capacity, int placeSize)
    {
        std::vector<std::uint32_t> offsets(capacity);
        const std::size_t row = 9u * h;
        for (std::size_t n = 0; n < capacity; ++n) {
            const int s = half * h + static_cast<int>((n / 3 + 2 * (n % 3)) % h);
            const int k = static_cast<int>(3 * (n % 3) + (n % row) / (3u * h));
            const std::size_t place = n / row;
            offsets[n] = static_cast<std::uint32_t>(AudioBlockOffset(s, k) + kDataStart + placeSize * place);
        }
        return offsets;
    }
};

const OffsetTables &Tables()
{
    static const OffsetTables tables;
    return tables;
}

int ExpandPositive(int code)
{
    const int segment = code >> 8;
    if (segment < 2)
        return code;
    const int shift = segment - 1;
    return (code - 256 * shift) << shift;
}

int CompressPositive(int value)
{
    if (value < 512)
        return value;
    const int shift = std::bit_width(static_cast<unsigned>(value)) - 9;
    return (value >> shift) + 256 * shift;
}

} // namespace

std::size_t Capacity16(DvSystem system)
{
    return static_cast<std::size_t>(kBlocksPerSequence) * SequencesPerHalf(system) * 36;
}
std::size_t Capacity12(DvSystem system)
{
    return static_cast<std::size_t>(kBlocksPerSequence) * SequencesPerHalf(system) * 24;
}

std::span<const std::uint32_t> Offsets16(DvSystem system, int half)
{
    return Tables().of16[system == DvSystem::Pal ? 1 : 0][half];
}
std::span<const std::uint32_t> Offsets12(DvSystem system, int half)
{
    return Tables().of12[system == DvSystem::Pal ? 1 : 0][half];
}

std::int16_t Expand12(std::uint16_t code)
{
    code &= 0xFFF;
    if (code == 0x800)
        return 0;
    const int s = code < 0x800 ? code : code - 0x1000;
    const int value = s >= 0 ? ExpandPositive(s) : ~ExpandPositive(~s);
    return static_cast<std::int16_t>(value);
}

std::uint16_t Compress12(std::int16_t value)
{
    const int v = value;
    const int code = v >= 0 ? CompressPositive(v) : (~CompressPositive(~v)) & 0xFFF;
    return static_cast<std::uint16_t>(code == 0x800 ? 0x801 : code);
}

} // namespace camlog::media::dv_audio
