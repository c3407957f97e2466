// The place of every macroblock of a DV picture in the frame's DIF blocks.
#include "core/dv_video_segments.h"

#include "core/dv_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace camlog::core {
namespace {

struct System {
    int nseq;
    int height;
};

class DvVideoSegmentsTest : public testing::TestWithParam<System> {};

// Every pixel of the picture belongs to exactly one macroblock of one segment.
TEST_P(DvVideoSegmentsTest, MacroblocksTileThePicture)
{
    const System system = GetParam();
    std::vector<int> owners(static_cast<std::size_t>(720 * system.height), 0);
    for (int sequence = 0; sequence < system.nseq; ++sequence)
        for (int segment = 0; segment < kSegmentsPerSequence; ++segment)
            for (int block = 0; block < kMacroblocksPerSegment; ++block) {
                const PixelRect rect = DvMacroblockRect(system.nseq, sequence, segment, block);
                ASSERT_GE(rect.x, 0);
                ASSERT_GE(rect.y, 0);
                ASSERT_LE(rect.x + rect.width, 720);
                ASSERT_LE(rect.y + rect.height, system.height);
                ASSERT_EQ(rect.width * rect.height, 256);
                for (int y = rect.y; y < rect.y + rect.height; ++y)
                    for (int x = rect.x; x < rect.x + rect.width; ++x)
                        ++owners[static_cast<std::size_t>(y * 720 + x)];
            }
    EXPECT_EQ(std::count(owners.begin(), owners.end(), 1), static_cast<std::ptrdiff_t>(owners.size()));
}

TEST_P(DvVideoSegmentsTest, AnAreaMarksTheSegmentsOfTheMacroblocksItMeets)
{
    const System system = GetParam();
    const std::size_t segments = static_cast<std::size_t>(system.nseq * kSegmentsPerSequence);
    // No area, or empty ones: nothing.
    EXPECT_EQ(DvSegmentsMeeting(system.nseq, {}), std::vector<bool>(segments, false));
    const PixelRect none{100, 100, 0, 20};
    EXPECT_EQ(DvSegmentsMeeting(system.nseq, std::span(&none, 1)), std::vector<bool>(segments, false));
    // The whole picture: every segment.
    const PixelRect all{0, 0, 720, system.height};
    EXPECT_EQ(DvSegmentsMeeting(system.nseq, std::span(&all, 1)), std::vector<bool>(segments, true));
    // One pixel: the one segment whose macroblock holds it.
    const PixelRect pixel{710, system.height - 1, 1, 1};
    const std::vector<bool> one = DvSegmentsMeeting(system.nseq, std::span(&pixel, 1));
    ASSERT_EQ(std::count(one.begin(), one.end(), true), 1);
    const auto index = static_cast<int>(std::find(one.begin(), one.end(), true) - one.begin());
    bool holds = false;
    for (int block = 0; block < kMacroblocksPerSegment; ++block)
        holds = holds
                || DvMacroblockRect(system.nseq, index / kSegmentsPerSequence, index % kSegmentsPerSequence, block)
                       .intersects(pixel);
    EXPECT_TRUE(holds);
}

INSTANTIATE_TEST_SUITE_P(BothSystems, DvVideoSegmentsTest, testing::Values(System{12, 576}, System{10, 480}),
                         [](const auto &info) { return info.param.nseq == 12 ? "Pal" : "Ntsc"; });

// Only the video blocks of the segments not kept are copied: header, subcode, VAUX and audio
// blocks and the kept segments stay.
TEST(CopyDvVideoSegments, CopiesTheBlocksOfTheSegmentsNotKept)
{
    const int nseq = 10;
    std::vector<std::uint8_t> into(kNtscFrameSize, 0);
    std::vector<std::uint8_t> from(kNtscFrameSize, 1);
    std::vector<bool> keep(static_cast<std::size_t>(nseq * kSegmentsPerSequence), true);
    keep[0] = false;   // sequence 0, segment 0: the first five video blocks
    keep[44] = false;  // sequence 1, segment 17: the last two of a group of fifteen and
    keep[269] = false; // the last segment of the frame
    CopyDvVideoSegments(into, from, nseq, keep);
    std::vector<std::size_t> copiedBlocks;
    for (std::size_t block = 0; block < kNtscFrameSize / kDifBlockSize; ++block) {
        const auto first = into.begin() + static_cast<std::ptrdiff_t>(block * kDifBlockSize);
        const int sum = std::accumulate(first, first + kDifBlockSize, 0);
        ASSERT_TRUE(sum == 0 || sum == static_cast<int>(kDifBlockSize)) << block;
        if (sum != 0)
            copiedBlocks.push_back(block);
    }
    // Block positions in a sequence of 150: 6 before the video, then groups of an audio
    // block and 15 video blocks.
    const std::vector<std::size_t> expected = {7,
                                               8,
                                               9,
                                               10,
                                               11,
                                               150 + 6 + 5 * 16 + 1 + 10,
                                               150 + 6 + 5 * 16 + 1 + 11,
                                               150 + 6 + 5 * 16 + 1 + 12,
                                               150 + 6 + 5 * 16 + 1 + 13,
                                               150 + 6 + 5 * 16 + 1 + 14,
                                               1350 + 145,
                                               1350 + 146,
                                               1350 + 147,
                                               1350 + 148,
                                               1350 + 149};
    EXPECT_EQ(copiedBlocks, expected);
    // A frame shorter than its sequences is left alone.
    std::vector<std::uint8_t> shortFrame(kNtscFrameSize - 1, 0);
    CopyDvVideoSegments(shortFrame, from, nseq, keep);
    EXPECT_EQ(std::accumulate(shortFrame.begin(), shortFrame.end(), 0), 0);
}

} // namespace
} // namespace camlog::core
