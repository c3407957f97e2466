// The caption step: which caption lines the detector reports for which frames, by timing mode.
#include "media/pipeline/caption_step.h"

#include "core/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace camlog::media {
namespace {

struct Caption {
    int frame;
    std::string line1;
    std::string line2;
    bool operator==(const Caption &) const = default;
};

// Frames of recordings at 25 fps whose datecode ticks every 25 frames.
struct Recording {
    core::DateTime start;
    int frames;
};

class CaptionStepTest : public ::testing::Test {
protected:
    CaptionStepTest()
    {
        detector.setCaptionStep(&step);
        step.SetFrameDuration(400000);
    }

    std::vector<Caption> run(const std::vector<Recording> &recordings, bool withDatecode = true)
    {
        std::vector<Caption> out;
        detector.OnCaption = [&](const scenes::FrameRecord &r, const std::u16string &l1, const std::u16string &l2) {
            out.push_back({r.frameNumber, core::Utf16ToUtf8(l1), core::Utf16ToUtf8(l2)});
        };
        detector.StartStreaming();
        for (const Recording &rec : recordings)
            for (int i = 0; i < rec.frames; ++i) {
                scenes::FrameRecord r;
                r.datecodeValid = withDatecode;
                if (withDatecode)
                    r.datecode = rec.start + core::DateTime::fromSeconds(i / 25);
                r.timecodeValid = true;
                r.timecode = {0, 0, static_cast<std::uint8_t>(i / 25), static_cast<std::uint8_t>(i % 25)};
                detector.ReceiveDecoded(r);
            }
        detector.Stop();
        return out;
    }

    static core::DateTime at(int y, int mo, int d, int h, int mi, int s)
    {
        return *core::DateTime::fromFields({y, mo, d, h, mi, s, 0});
    }

    scenes::Tdv_sceneDetect detector;
    DatecodeCaptionStep step;
};

TEST_F(CaptionStepTest, DefaultsAreTheInlaySettingsOfAFreshSettingsFile)
{
    const CaptionSettings s;
    EXPECT_EQ(s.line1, u"%D1");
    EXPECT_EQ(s.line2, u"%D2");
    EXPECT_EQ(s.timing, 2);
    EXPECT_EQ(s.dateFormat1, "ddddd");
    EXPECT_EQ(s.dateFormat2, "tt");
    EXPECT_EQ(s.durationSeconds, 5);
    detector.StartStreaming();
    EXPECT_EQ(step.DurationFrames(), 125);
}

TEST_F(CaptionStepTest, PermanentCaptionsChangeWithEverySecondOfDatecode)
{
    CaptionSettings s;
    s.timing = 0;
    s.dateFormat1 = "yyyy-mm-dd";
    s.dateFormat2 = "hh:nn:ss";
    step.SetCaptionSettings(s);
    const auto out = run({{at(2024, 5, 1, 10, 0, 0), 75}});
    const std::vector<Caption> expected{
        {0, "2024-05-01", "10:00:00"}, {25, "2024-05-01", "10:00:01"}, {50, "2024-05-01", "10:00:02"}, {75, "", ""}};
    EXPECT_EQ(out, expected);
}

TEST_F(CaptionStepTest, AtEachSceneTheLinesShowForTheDurationOfEachRecording)
{
    CaptionSettings s;
    s.timing = 2;
    s.durationSeconds = 2; // 50 frames
    s.dateFormat1 = "hh:nn:ss";
    s.line2 = u"";
    step.SetCaptionSettings(s);
    const auto out = run({{at(2024, 5, 1, 10, 0, 0), 100}, {at(2024, 5, 1, 11, 0, 0), 100}});
    const std::vector<Caption> expected{{0, "10:00:00", ""},   {25, "10:00:01", ""},  {50, "", ""},
                                        {100, "11:00:00", ""}, {125, "11:00:01", ""}, {150, "", ""}};
    EXPECT_EQ(out, expected);
}

TEST_F(CaptionStepTest, OnceShowsTheLinesAtTheStartOfTheRunOnly)
{
    CaptionSettings s;
    s.timing = 1;
    s.durationSeconds = 2;
    s.line1 = u"%T";
    s.line2 = u"";
    step.SetCaptionSettings(s);
    const auto out = run({{at(2024, 5, 1, 10, 0, 0), 100}, {at(2024, 5, 1, 11, 0, 0), 100}});
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front(), (Caption{0, "0:00:00:00", ""}));
    EXPECT_EQ(out.back(), (Caption{48, "", ""}));
}

TEST_F(CaptionStepTest, AtEachDayANewDayReArmsTheCaption)
{
    CaptionSettings s;
    s.timing = 3;
    s.durationSeconds = 1;
    s.dateFormat1 = "dd";
    s.line2 = u"";
    step.SetCaptionSettings(s);
    const auto out =
        run({{at(2024, 5, 1, 23, 0, 0), 50}, {at(2024, 5, 1, 23, 30, 0), 50}, {at(2024, 5, 2, 8, 0, 0), 50}});
    const std::vector<Caption> expected{{0, "01", ""}, {25, "", ""}, {100, "02", ""}, {125, "", ""}};
    EXPECT_EQ(out, expected);
}

TEST_F(CaptionStepTest, CodesAreReplacedWhateverTheirCaseWithTheTimeDifference)
{
    CaptionSettings s;
    s.timing = 0;
    s.line1 = u"Day %d1 at %D2";
    s.line2 = u"tc %t";
    s.dateFormat1 = "yyyy-mm-dd";
    s.dateFormat2 = "hh:nn";
    s.timeDifference = 0.5;
    step.SetCaptionSettings(s);
    const auto out = run({{at(2006, 12, 31, 18, 0, 0), 1}});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], (Caption{0, "Day 2007-01-01 at 06:00", "tc 0:00:00:00"}));
}

TEST_F(CaptionStepTest, NoDatecodeAndADatecodeTemplateGiveNoCaption)
{
    CaptionSettings s;
    s.timing = 0;
    step.SetCaptionSettings(s);
    EXPECT_TRUE(run({{core::DateTime(), 30}}, false).empty());
}

} // namespace
} // namespace camlog::media
