// Carrying the camera's recording data from a frame of one DV system into a frame of the other.
#include "core/dv_pack_transfer.h"

#include <algorithm>

namespace camlog::core {

namespace {

constexpr std::size_t kPackSize = 5;

bool isSourcePack(std::uint8_t id)
{
    return id == 0x60 || id == pack::kVideoSourceControl;
}

// The source sequence whose packs go to target sequence s: same half of the frame (each half
// is written by one head and carries its own copies), same relative place in it.
int sourceSequenceFor(int s, int nseq, int sourceCount)
{
    const int half = nseq / 2;
    const int sourceHalf = sourceCount / 2;
    return s < half ? s * sourceHalf / half : sourceHalf + (s - half) * sourceHalf / half;
}

} // namespace

void CopyRecordingPacksAcrossSystems(std::span<std::uint8_t> frame, int nseq, std::span<const DifHeaderArea> source)
{
    const auto sourceCount = static_cast<int>(source.size());
    if ((nseq != 10 && nseq != 12) || (sourceCount != 10 && sourceCount != 12)
        || frame.size() < kDifSequenceSize * static_cast<std::size_t>(nseq))
        return;
    for (int s = 0; s < nseq; ++s) {
        std::uint8_t *target = frame.data() + kDifSequenceSize * static_cast<std::size_t>(s);
        const DifHeaderArea &from = source[static_cast<std::size_t>(sourceSequenceFor(s, nseq, sourceCount))];
        // Subcode: six sync blocks per block, each an identifier of 3 bytes and a pack.
        for (std::size_t block = 1; block <= 2; ++block)
            for (std::size_t j = 0; j < 6; ++j) {
                const std::size_t pos = kDifBlockSize * block + 6 + 8 * j;
                std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(pos), kPackSize, target + pos);
            }
        // VAUX: fifteen packs per block.
        for (std::size_t block = 3; block <= 5; ++block)
            for (std::size_t j = 0; j < 15; ++j) {
                const std::size_t pos = kDifBlockSize * block + 3 + kPackSize * j;
                if (isSourcePack(target[pos]) || isSourcePack(from[pos]))
                    continue;
                std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(pos), kPackSize, target + pos);
            }
    }
}

} // namespace camlog::core
