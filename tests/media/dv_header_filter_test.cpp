// The DV header filter on frames read from the fixtures: header copy, date shift, aspect.
#include "media/pipeline/dv_header_filter.h"

#include "core/dv_frame.h"
#include "media/reading/dv_frame_reader.h"
#include "scenes/dv_scene_detect.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace camlog::media {
namespace {

std::vector<std::uint8_t> firstFrame(const std::string &fixture)
{
    auto reader = DvFrameReader::open(test::fixturePath(fixture));
    EXPECT_TRUE(reader.ok());
    std::vector<std::uint8_t> frame;
    EXPECT_TRUE(reader.value()->readFrame(0, frame));
    return frame;
}

core::TDatecode datecodeOf(std::span<const std::uint8_t> frame)
{
    core::TDatecode d;
    EXPECT_TRUE(core::ReadDatecode(frame, core::SequencesForFrameSize(frame.size()), d));
    return d;
}

class DvHeaderFilterTest : public ::testing::Test {
protected:
    scenes::Tdv_sceneDetect detector;
    Tdv_DVheader filter{detector};
};

TEST_F(DvHeaderFilterTest, DefaultsCopyHeadersAndNothingElse)
{
    EXPECT_TRUE(filter.CopyHeaders);
    EXPECT_EQ(filter.TimeShift(), 0.0);
    EXPECT_FALSE(filter.AspectRewrite);
    EXPECT_FALSE(filter.Wide);
    filter.CopyHeaders = false;
    filter.SetTimeShift(1);
    filter.AspectRewrite = filter.Wide = true;
    filter.ResetDefaults();
    EXPECT_TRUE(filter.CopyHeaders);
    EXPECT_EQ(filter.TimeShift(), 0.0);
    EXPECT_FALSE(filter.AspectRewrite);
    EXPECT_FALSE(filter.Wide);
}

TEST_F(DvHeaderFilterTest, AcceptsDvStreamsOnly)
{
    EXPECT_TRUE(filter.StartStream({core::fcc::iavs, core::FourCC::fromString("dvsd")}));
    EXPECT_TRUE(filter.StartStream({core::fcc::iavs, core::FourCC::fromString("dvhd")}));
    EXPECT_TRUE(filter.StartStream({core::fcc::vids, core::fcc::dvsd}));
    EXPECT_FALSE(filter.StartStream({core::fcc::vids, core::FourCC::fromString("MJPG")}));
    EXPECT_FALSE(filter.StartStream({core::fcc::auds, core::FourCC()}));
}

TEST_F(DvHeaderFilterTest, SamplesThatAreNotWholeFramesPassUnchanged)
{
    filter.SetTimeShift(0.5);
    filter.AspectRewrite = true;
    filter.Wide = true;
    for (std::size_t size : {std::size_t{119999}, std::size_t{144001}, std::size_t{0}}) {
        std::vector<std::uint8_t> sample(size, 0x5A);
        const auto before = sample;
        MediaSample s{sample};
        filter.Receive(s);
        EXPECT_EQ(sample, before) << size;
    }
}

struct ShiftCase {
    const char *name;
    core::TDatecode recorded;
    double shift;
    core::TDatecode expected;
};

class DvHeaderShiftTest : public DvHeaderFilterTest, public ::testing::WithParamInterface<ShiftCase> {};

TEST_P(DvHeaderShiftTest, ShiftsEveryDatePackAndLeavesTheRestAlone)
{
    const ShiftCase &c = GetParam();
    auto frame = firstFrame("pal_4x3_48k.dv");
    const int nseq = 12;
    core::WriteDatecode(frame, nseq, c.recorded);
    const auto before = frame;
    core::TTimecode tcBefore;
    ASSERT_TRUE(core::ReadTimecode(frame, nseq, tcBefore));

    filter.CopyHeaders = false;
    filter.SetTimeShift(c.shift);
    filter.Transform(frame);

    EXPECT_EQ(datecodeOf(frame), c.expected);
    // Writing the expected value into the original gives the same bytes: every pack of every
    // sequence was rewritten, nothing else changed.
    auto reference = before;
    core::WriteDatecode(reference, nseq, c.expected);
    EXPECT_EQ(frame, reference);
    core::TTimecode tcAfter;
    ASSERT_TRUE(core::ReadTimecode(frame, nseq, tcAfter));
    EXPECT_EQ(tcAfter, tcBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DvHeaderShiftTest,
    ::testing::Values(ShiftCase{"HalfDayAcrossYearEnd", {2006, 12, 31, 18, 0, 0}, 0.5, {2007, 1, 1, 6, 0, 0}},
                      ShiftCase{"HourBackAcrossYearEnd", {2007, 1, 1, 0, 30, 0}, -1.0 / 24, {2006, 12, 31, 23, 30, 0}},
                      ShiftCase{"AcrossLeapDay", {2024, 2, 28, 23, 0, 0}, 2.0 / 24, {2024, 2, 29, 1, 0, 0}},
                      ShiftCase{"ThreeHoursThirty", {2006, 7, 14, 22, 0, 0}, 0.1458333333, {2006, 7, 15, 1, 30, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

// The shift starts from what most copies say, and every copy, the damaged ones too, gets the
// shifted value.
TEST_F(DvHeaderFilterTest, ShiftReadsTheMajorityAndRewritesEveryCopy)
{
    auto frame = firstFrame("pal_4x3_48k.dv"); // 2024-05-01 10:00:00
    const int nseq = 12;
    core::WriteDatecode(std::span(frame).first(core::kDifSequenceSize), 1, {1926, 3, 11, 8, 30, 0});
    auto reference = frame;
    core::WriteDatecode(reference, nseq, {2024, 5, 2, 10, 0, 0});
    filter.CopyHeaders = false;
    filter.SetTimeShift(1.0);
    filter.Transform(frame);
    EXPECT_EQ(frame, reference);
}

TEST_F(DvHeaderFilterTest, ADateThatIsNoDatePassesUnchanged)
{
    auto frame = firstFrame("pal_4x3_48k.dv");
    core::WriteDatecode(frame, 12, {2006, 7, 0, 10, 0, 0});
    const auto before = frame;
    filter.CopyHeaders = false;
    filter.SetTimeShift(0.5);
    filter.Transform(frame);
    EXPECT_EQ(frame, before);
}

TEST_F(DvHeaderFilterTest, AFrameWithoutDatecodePassesUnchanged)
{
    auto frame = firstFrame("ntsc_nodate.dv");
    const auto before = frame;
    filter.CopyHeaders = false;
    filter.SetTimeShift(0.5);
    filter.Transform(frame);
    EXPECT_EQ(frame, before);
}

TEST_F(DvHeaderFilterTest, AspectRewriteMarksTheFrameAndTouchesNothingElse)
{
    auto frame = firstFrame("pal_16x9_32k.dv");
    bool wide = false;
    ASSERT_TRUE(core::ReadIs16x9(frame, 12, wide));
    ASSERT_TRUE(wide);
    auto reference = frame;
    core::SetAspect16x9(reference, 12, false);

    filter.CopyHeaders = false;
    filter.AspectRewrite = true;
    filter.Wide = false;
    filter.Transform(frame);
    ASSERT_TRUE(core::ReadIs16x9(frame, 12, wide));
    EXPECT_FALSE(wide);
    EXPECT_EQ(frame, reference);
    // Only the VAUX area of the sequences differs from the source.
    const auto source = firstFrame("pal_16x9_32k.dv");
    for (std::size_t i = 0; i < frame.size(); ++i)
        if (frame[i] != source[i]) {
            const std::size_t inSequence = i % core::kDifSequenceSize;
            ASSERT_GE(inSequence, 3 * core::kDifBlockSize) << i;
            ASSERT_LT(inSequence, core::kDifHeaderAreaSize) << i;
        }
}

TEST_F(DvHeaderFilterTest, CopyHeadersPutsBackTheDetectorsBlocks)
{
    const auto source = firstFrame("pal_16x9_32k.dv");
    detector.StartStreaming();
    detector.Receive(source);

    // A frame of another recording stands for a re-encoded one: its own recording data goes,
    // the source's comes back, picture and sound stay.
    auto other = firstFrame("pal_4x3_48k.dv");
    const auto otherBefore = other;
    filter.Transform(other);
    for (std::size_t s = 0; s < 12; ++s) {
        const std::size_t base = s * core::kDifSequenceSize;
        EXPECT_TRUE(
            std::equal(other.begin() + base, other.begin() + base + core::kDifHeaderAreaSize, source.begin() + base));
        EXPECT_TRUE(std::equal(other.begin() + base + core::kDifHeaderAreaSize,
                               other.begin() + base + core::kDifSequenceSize,
                               otherBefore.begin() + base + core::kDifHeaderAreaSize));
    }
    EXPECT_EQ(datecodeOf(other), datecodeOf(source));
    detector.Stop();
}

// Blocks of a Pal camera frame given to an NTSC frame of the encoder (no recording data): the
// recording date, time and timecode come over into every sequence, the frame keeps the marks
// of its own system, and the same-system case copies the blocks whole.
TEST_F(DvHeaderFilterTest, BlocksOfTheOtherSystemGiveTheirRecordingPacksOnly)
{
    const auto pal = firstFrame("pal_4x3_48k.dv");
    const auto ntsc = firstFrame("ntsc_nodate.dv");
    std::array<core::DifHeaderArea, 12> palBlocks{};
    for (std::size_t s = 0; s < 12; ++s)
        std::copy_n(pal.begin() + static_cast<std::ptrdiff_t>(s * core::kDifSequenceSize), core::kDifHeaderAreaSize,
                    palBlocks[s].begin());

    auto frame = ntsc;
    filter.Transform(frame, std::span<const core::DifHeaderArea>(palBlocks.data(), 12));
    EXPECT_EQ(datecodeOf(frame), datecodeOf(pal));
    bool isNtsc = false;
    ASSERT_TRUE(core::ReadIsNtsc(frame, isNtsc));
    EXPECT_TRUE(isNtsc);
    core::DvPack source, original;
    ASSERT_TRUE(core::FindPack(frame, 0x60, 10, source));
    ASSERT_TRUE(core::FindPack(ntsc, 0x60, 10, original));
    EXPECT_EQ(source, original);
    // Every sequence has its own copies, and nothing beyond the first six blocks changed.
    for (int s = 0; s < 10; ++s) {
        const auto start = frame.begin() + s * static_cast<std::ptrdiff_t>(core::kDifSequenceSize);
        const std::vector<std::uint8_t> one(start, start + static_cast<std::ptrdiff_t>(core::kDifSequenceSize));
        core::TDatecode d;
        EXPECT_TRUE(core::ReadDatecode(one, 1, d)) << "sequence " << s;
        EXPECT_TRUE(std::equal(start + static_cast<std::ptrdiff_t>(core::kDifHeaderAreaSize),
                               start + static_cast<std::ptrdiff_t>(core::kDifSequenceSize),
                               ntsc.begin() + s * static_cast<std::ptrdiff_t>(core::kDifSequenceSize)
                                   + static_cast<std::ptrdiff_t>(core::kDifHeaderAreaSize)));
        // The block identifiers (sequence numbers, halves) are the target's own.
        for (std::size_t block = 0; block < 6; ++block)
            EXPECT_TRUE(std::equal(start + static_cast<std::ptrdiff_t>(80 * block),
                                   start + static_cast<std::ptrdiff_t>(80 * block + 3),
                                   ntsc.begin() + s * static_cast<std::ptrdiff_t>(core::kDifSequenceSize)
                                       + static_cast<std::ptrdiff_t>(80 * block)));
    }
    core::TTimecode timecode;
    EXPECT_TRUE(core::ReadTimecode(frame, 10, timecode));

    // A Pal frame given Pal blocks takes them whole.
    auto same = pal;
    std::fill(same.begin(), same.begin() + 480, 0);
    filter.Transform(same, std::span<const core::DifHeaderArea>(palBlocks.data(), 12));
    EXPECT_EQ(same, pal);
}

TEST(WriteTimecode, RewritesEveryTimecodePackKeepingItsFlags)
{
    auto frame = firstFrame("pal_4x3_48k.dv");
    core::WriteTimecode(frame, 12, {1, 2, 3, 24});
    core::TTimecode read;
    ASSERT_TRUE(core::ReadTimecode(frame, 12, read));
    EXPECT_EQ(read, (core::TTimecode{1, 2, 3, 24}));
}

} // namespace
} // namespace camlog::media
