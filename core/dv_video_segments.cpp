// Where the picture of a standard-definition DV frame lies in its DIF blocks.
#include "core/dv_video_segments.h"

#include "core/dv_frame.h"

#include <algorithm>
#include <array>

namespace camlog::core {

namespace {

// The five macroblocks of a segment come from these superblock columns, in block order, and
// from the superblock rows `sequence + offset` (modulo the sequences).
constexpr std::array<int, kMacroblocksPerSegment> kSuperblockColumn = {2, 1, 3, 0, 4};
constexpr std::array<int, kMacroblocksPerSegment> kSuperblockRowOffset = {2, 6, 8, 0, 4};

// Video blocks of a sequence: after the header, two subcode and three VAUX blocks come nine
// groups of one audio block and fifteen video blocks.
constexpr int kBlocksBeforeVideo = 6;
constexpr int kVideoBlocksPerGroup = 15;

// Within a superblock, macroblocks run down the first column, up the second and so on.
int serpentine(int index, int rows)
{
    const int column = index / rows;
    const int row = index % rows;
    return column % 2 == 0 ? row : rows - 1 - row;
}

// 625/50: superblocks of 9 × 3 macroblocks of 16×16.
PixelRect palMacroblock(int superRow, int superColumn, int index)
{
    const int x = superColumn * 9 + index / 3;
    const int y = superRow * 3 + serpentine(index, 3);
    return {x * 16, y * 16, 16, 16};
}

// 525/60: superblocks of 4.5 columns of 32×8 macroblocks, six rows high; the half column is
// shared by the superblocks of columns 0 and 1 (and 2 and 3), the first taking its top three
// rows, the second its bottom three. The last superblock column ends with three 16×16
// macroblocks at the right edge of the picture.
PixelRect ntscMacroblock(int superRow, int superColumn, int index)
{
    constexpr std::array<int, 5> kStartColumn = {0, 4, 9, 13, 18};
    const int k = index + (superColumn == 1 || superColumn == 3 ? 3 : 0);
    const int x = kStartColumn[static_cast<std::size_t>(superColumn)] + k / 6;
    const int row = serpentine(k, 6);
    if (x > 21)
        return {704, (superRow * 6 + row * 2) * 8, 16, 16};
    return {x * 32, (superRow * 6 + row) * 8, 32, 8};
}

} // namespace

PixelRect DvMacroblockRect(int nseq, int sequence, int segment, int block)
{
    const auto b = static_cast<std::size_t>(block);
    const int superRow = (sequence + kSuperblockRowOffset[b]) % nseq;
    const int superColumn = kSuperblockColumn[b];
    return nseq == 12 ? palMacroblock(superRow, superColumn, segment) : ntscMacroblock(superRow, superColumn, segment);
}

std::size_t DvVideoBlockOffset(int sequence, int segment, int block)
{
    const int video = segment * kMacroblocksPerSegment + block;
    const int position = kBlocksBeforeVideo + video / kVideoBlocksPerGroup * (kVideoBlocksPerGroup + 1) + 1
                         + video % kVideoBlocksPerGroup;
    return static_cast<std::size_t>(sequence) * kDifSequenceSize + static_cast<std::size_t>(position) * kDifBlockSize;
}

std::vector<bool> DvSegmentsMeeting(int nseq, std::span<const PixelRect> areas)
{
    std::vector<bool> meets(static_cast<std::size_t>(nseq * kSegmentsPerSequence), false);
    if (std::all_of(areas.begin(), areas.end(), [](const PixelRect &area) { return area.empty(); }))
        return meets;
    for (int sequence = 0; sequence < nseq; ++sequence)
        for (int segment = 0; segment < kSegmentsPerSequence; ++segment)
            for (int block = 0; block < kMacroblocksPerSegment; ++block) {
                const PixelRect macroblock = DvMacroblockRect(nseq, sequence, segment, block);
                if (std::any_of(areas.begin(), areas.end(),
                                [&](const PixelRect &area) { return area.intersects(macroblock); })) {
                    meets[static_cast<std::size_t>(sequence * kSegmentsPerSequence + segment)] = true;
                    break;
                }
            }
    return meets;
}

void CopyDvVideoSegments(std::span<std::uint8_t> into, std::span<const std::uint8_t> from, int nseq,
                         const std::vector<bool> &keep)
{
    const std::size_t frameSize = static_cast<std::size_t>(nseq) * kDifSequenceSize;
    if (into.size() < frameSize || from.size() < frameSize)
        return;
    // The five blocks of a segment follow each other: a group of fifteen holds three segments.
    constexpr std::size_t kSegmentBytes = kMacroblocksPerSegment * kDifBlockSize;
    for (int sequence = 0; sequence < nseq; ++sequence)
        for (int segment = 0; segment < kSegmentsPerSequence; ++segment) {
            const auto index = static_cast<std::size_t>(sequence * kSegmentsPerSequence + segment);
            if (index < keep.size() && keep[index])
                continue;
            const std::size_t offset = DvVideoBlockOffset(sequence, segment, 0);
            std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(offset), kSegmentBytes,
                        into.begin() + static_cast<std::ptrdiff_t>(offset));
        }
}

} // namespace camlog::core
