// Where the picture of a standard-definition DV frame lies in its DIF blocks.
//
// A DV picture is cut into macroblocks (16×16 pixels at 625/50, 32×8 at 525/60 with a last
// column of 16×16), grouped into superblocks of 27: five columns of superblocks across the
// picture, one row of superblocks per DIF sequence. Each sequence holds 27 video segments of
// five DIF blocks; a segment is coded on its own and takes its five macroblocks from five
// superblocks spread over the picture, so that a dropout does not wipe out one area. A
// segment can therefore be replaced by the same segment of another frame without touching
// the rest of the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace camlog::core {

inline constexpr int kSegmentsPerSequence = 27;
inline constexpr int kMacroblocksPerSegment = 5;

// A rectangle of luma pixels, from the top left corner of the picture.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    bool intersects(const PixelRect &other) const
    {
        return !empty() && !other.empty() && x < other.x + other.width && other.x < x + width
               && y < other.y + other.height && other.y < y + height;
    }
    bool operator==(const PixelRect &) const = default;
};

// The luma pixels of the macroblock coded in DIF block `block` (0..4) of video segment
// `segment` (0..26) of DIF sequence `sequence`; nseq is 12 for 625/50 (720×576, 4:2:0) and
// 10 for 525/60 (720×480, 4:1:1).
PixelRect DvMacroblockRect(int nseq, int sequence, int segment, int block);

// The byte offset in the frame of DIF block `block` of video segment `segment` of sequence
// `sequence`.
std::size_t DvVideoBlockOffset(int sequence, int segment, int block);

// For each video segment of the frame (sequence × 27 + segment), whether one of its
// macroblocks meets one of the areas.
std::vector<bool> DvSegmentsMeeting(int nseq, std::span<const PixelRect> areas);

// Copies the five DIF blocks of every segment not marked in `keep` from `from` into `into`;
// both are whole frames of nseq sequences.
void CopyDvVideoSegments(std::span<std::uint8_t> into, std::span<const std::uint8_t> from, int nseq,
                         const std::vector<bool> &keep);

} // namespace camlog::core
