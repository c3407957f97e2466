// The dates of a share copy gathered from the scene detector's records: chapters per recording,
// subtitle cues, the first datecode, each restricted to the frames of the copy.
#include "scenes/share_copy_dates.h"

#include "core/format.h"
#include "core/local_moment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace camlog::scenes {
namespace {

// Lines made from the record's frame number: a new caption every 25 frames.
class SecondLines : public CaptionStep {
public:
    void startStreaming() override {}
    void frame(const FrameRecord &record, const CaptionCallback &onCaption) override
    {
        if (record.frameNumber % 25 == 0 && onCaption)
            onCaption(record, u"second " + std::u16string(1, u'0' + record.frameNumber / 25), u"");
    }
    void stop(const FrameRecord &record, const CaptionCallback &onCaption) override
    {
        if (onCaption)
            onCaption(record, u"", u"");
    }
};

FrameRecord record(int frame, bool dated, double minutes = 0)
{
    FrameRecord r;
    r.frameNumber = frame;
    r.datecodeValid = dated;
    if (dated)
        r.datecode = *core::DateTime::fromFields({2003, 7, 14, 10, 0, 0, 0}) + core::DateTime::fromDays(minutes / 1440);
    return r;
}

// 100 frames: a recording at 10:00 (frames 0-39), a stretch without datecode (40-59), a
// recording at 10:30 (60-99).
ShareCopyDates gather(FrameRange range)
{
    SecondLines lines;
    ShareCopyDatesCollector collector(lines, "hh:nn", core::DateTime::fromDays(1.0 / 24), range);
    const auto caption = [&](const FrameRecord &r, const std::u16string &a, const std::u16string &b) {
        collector.Caption(r, a, b);
    };
    collector.startStreaming();
    for (int f = 0; f < 100; ++f) {
        const FrameRecord r = f < 40 ? record(f, true, f / 25 / 60.0) : f < 60 ? record(f, false) : record(f, true, 30);
        collector.frame(r, caption);
    }
    collector.Scene(record(0, true), record(40, false));
    collector.Scene(record(40, false), record(60, true, 30));
    collector.Scene(record(60, true, 30), record(100, true, 30));
    collector.stop(record(100, false), caption);
    return collector.Result();
}

TEST(ShareCopyDates, AChapterPerRecordingTheStretchWithoutDatecodeSplitsNothing)
{
    const ShareCopyDates dates = gather({});
    EXPECT_EQ(dates.frames, 100);
    // Titles carry the time difference (one hour).
    EXPECT_EQ(dates.chapters, (std::vector<DatedChapter>{{0, 60, "11:00"}, {60, 100, "11:30"}}));
    ASSERT_TRUE(dates.firstDatecode.has_value());
    EXPECT_EQ(core::FormatDateTimePattern("hh:nn", *dates.firstDatecode), "11:00");
    ASSERT_EQ(dates.cues.size(), 4u);
    EXPECT_EQ(dates.cues[0], (CaptionCue{0, 25, "second 0", " "}));
    EXPECT_EQ(dates.cues[3], (CaptionCue{75, 100, "second 3", " "}));
}

TEST(ShareCopyDates, ARangeKeepsItsOwnFramesCountedFromItsStart)
{
    struct Case {
        FrameRange range;
        std::vector<DatedChapter> chapters;
        const char *first; // the first datecode in the range, "" without
        std::size_t cues;
    };
    for (const Case &c : {Case{{30, 70}, {{0, 30, "11:00"}, {30, 40, "11:30"}}, "11:00", 2},
                          Case{{40, 60}, {{0, 20, "11:00"}}, "", 2}, Case{{60, -1}, {{0, 40, "11:30"}}, "11:30", 2}}) {
        SCOPED_TRACE(c.range.first);
        const ShareCopyDates dates = gather(c.range);
        EXPECT_EQ(dates.chapters, c.chapters);
        EXPECT_EQ(dates.firstDatecode ? *core::FormatDateTimePattern("hh:nn", *dates.firstDatecode) : "", c.first);
        EXPECT_EQ(dates.cues.size(), c.cues);
        EXPECT_EQ(dates.cues.front().start, 0u);
        EXPECT_LE(dates.cues.back().end, static_cast<std::uint32_t>(dates.frames));
    }
}

TEST(LocalMoment, TheDatecodeIsReadAsTheMachinesLocalTime)
{
    const char *old = std::getenv("TZ");
    const std::string kept = old != nullptr ? old : "";
    ::setenv("TZ", "America/New_York", 1);
    ::tzset();
    const auto summer = core::LocalMomentOf(*core::DateTime::fromFields({2003, 7, 14, 10, 0, 0, 0}));
    const auto winter = core::LocalMomentOf(*core::DateTime::fromFields({2003, 1, 14, 10, 0, 0, 0}));
    if (old != nullptr)
        ::setenv("TZ", kept.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    ASSERT_TRUE(summer && winter);
    EXPECT_EQ(core::UtcTimestampText(*summer), "2003-07-14T14:00:00.000000Z");
    EXPECT_EQ(core::LocalTimestampText(*summer), "2003-07-14T10:00:00-0400");
    EXPECT_EQ(core::UtcTimestampText(*winter), "2003-01-14T15:00:00.000000Z");
    EXPECT_EQ(core::LocalTimestampText(*winter), "2003-01-14T10:00:00-0500");
}

} // namespace
} // namespace camlog::scenes
