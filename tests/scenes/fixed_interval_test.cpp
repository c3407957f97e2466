// Scenes at a fixed interval: the spans for PAL and NTSC rates, short videos, and intervals that give no frames.
#include "scenes/fixed_interval.h"

#include <gtest/gtest.h>

#include <vector>

using namespace camlog;
using scenes::FrameSpan;

namespace {

std::vector<std::int64_t> lengths(const std::vector<FrameSpan> &spans)
{
    std::vector<std::int64_t> out;
    for (const FrameSpan &span : spans)
        out.push_back(span.end - span.start);
    return out;
}

} // namespace

TEST(FixedInterval, FramesPerSceneRoundHalfToEven)
{
    struct Case {
        std::int64_t seconds;
        double rate;
        std::int64_t frames;
    };
    const Case cases[] = {
        {30, 25.0, 750},         {30, 29.97, 899}, {1, 29.97, 30}, {10, 29.97, 300}, {0, 25.0, 0}, {30, 0.0, 0},
        {-5, 25.0, 0},           {1, 0.5, 0},      {3, 0.5, 2},    {5, 0.5, 2},      {1, 1.5, 2},  {7, 0.5, 4},
        {100000, 25.0, 2500000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(scenes::IntervalFrames(c.seconds, c.rate), c.frames) << c.seconds << " s at " << c.rate;
}

TEST(FixedInterval, ScenesRunFromZeroToTheFrameCountWithAShorterLastOne)
{
    struct Case {
        const char *what;
        std::int64_t frameCount;
        double rate;
        std::int64_t seconds;
        std::vector<std::int64_t> lengths;
    };
    const Case cases[] = {
        {"PAL, 30 s", 2000, 25.0, 30, {750, 750, 500}},
        {"NTSC, 30 s", 2000, 29.97, 30, {899, 899, 202}},
        {"exact multiple", 1500, 25.0, 30, {750, 750}},
        {"longer than the video", 100, 25.0, 30, {100}},
        {"one frame", 1, 25.0, 1, {1}},
        {"no frames", 0, 25.0, 30, {}},
        {"zero seconds", 2000, 25.0, 0, {}},
        {"no frame rate", 2000, 0.0, 30, {}},
        {"negative interval", 2000, 25.0, -30, {}},
    };
    for (const Case &c : cases) {
        const auto spans = scenes::FixedIntervalScenes(c.frameCount, c.rate, c.seconds);
        EXPECT_EQ(lengths(spans), c.lengths) << c.what;
        std::int64_t expectedStart = 0;
        for (const FrameSpan &span : spans) {
            EXPECT_EQ(span.start, expectedStart) << c.what;
            expectedStart = span.end;
        }
        if (!spans.empty()) {
            EXPECT_EQ(spans.back().end, c.frameCount) << c.what;
        }
    }
}

TEST(FixedInterval, FrameCountsBeyond32BitsStayExact)
{
    const std::int64_t frames = 5'000'000'000;
    const auto spans = scenes::FixedIntervalScenes(frames, 25.0, 100'000'000);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0], (FrameSpan{0, 2'500'000'000}));
    EXPECT_EQ(spans[1], (FrameSpan{2'500'000'000, frames}));
}

TEST(FixedInterval, IntervalTextReadsAsADecimalIntegerOrZero)
{
    const std::pair<const char *, std::int64_t> cases[] = {
        {"30", 30}, {" 45 ", 45}, {"+7", 7}, {"-5", -5}, {"", 0}, {"abc", 0}, {"12abc", 0}, {"1.5", 0}, {"0x10", 0},
    };
    for (const auto &[text, seconds] : cases)
        EXPECT_EQ(scenes::ParseIntervalSeconds(text), seconds) << '"' << text << '"';
}
