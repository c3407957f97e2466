// The DV type label and the information panel's texts for a file object.
#include "core/friendly_params.h"

#include <gtest/gtest.h>

namespace {

using camlog::core::DateTime;
using camlog::core::DateTimeLocale;
using camlog::core::TaviFichier;
namespace core = camlog::core;

TEST(DvTypeLabel, ByFileTypeAndInterleavedStream)
{
    struct Case {
        std::uint32_t fileType;
        bool iavs;
        const char *label;
    };
    const Case cases[] = {{1, false, " (type 1)"},     {1, true, " (type 1)"},    {2, false, " (type 2)"},
                          {2, true, " (type 2 iavs)"}, {0, false, " (atypical)"}, {3, true, " (atypical)"}};
    for (const auto &c : cases)
        EXPECT_EQ(core::DvTypeLabel(c.fileType, c.iavs), c.label) << c.fileType << c.iavs;
}

TaviFichier dvFile()
{
    TaviFichier f;
    f.SetPath("/videos/Holiday.avi");
    f.IsDV = true;
    f.FileType = 2;
    f.Type2Iavs = true;
    f.Codec = "dvsd";
    f.SizeText = "720 x 576 (Pal";
    f.AspectText = " 16x9)";
    f.DurationText = "5s 00fr";
    f.AudioDurationText = "5s 00fr";
    f.FrameRate = 25.0;
    f.AudioText = "48000Hz 16 bits  stereo";
    f.AudioFormatText = "PCM 192000 bytes/s";
    f.TimecodeText = "00.01.02.03";
    f.DatecodeText = "stored text";
    f.Datecode = *DateTime::fromFields({2024, 5, 1, 10, 0, 0, 0});
    f.Modified = *DateTime::fromFields({2023, 6, 15, 12, 34, 56, 0});
    f.SizeHigh = 1;
    f.SizeLow = 0x40000000; // 5 GiB
    return f;
}

TEST(PanelTexts, DvFileOfTypeTwoIavs)
{
    const auto locale = DateTimeLocale::fallback();
    const auto texts = core::MakePanelTexts(dvFile(), "yyyy-mm-dd hh:nn:ss", &locale);
    EXPECT_EQ(texts.Name, "Holiday.avi");
    EXPECT_EQ(texts.Codec, "dvsd (type 2 iavs)");
    EXPECT_EQ(texts.Image, "720 x 576 (Pal 16x9)");
    EXPECT_EQ(texts.Datecode, "2024-05-01 10:00:00"); // formatted anew, not the stored text
    EXPECT_EQ(texts.Timecode, "00.01.02.03");
    EXPECT_EQ(texts.Duration, "5s 00fr"); // equal durations: the video's alone
    EXPECT_EQ(texts.Fps, "25");
    EXPECT_EQ(texts.Audio1, "48000Hz 16 bits  stereo");
    EXPECT_EQ(texts.Audio2, "PCM 192000 bytes/s");
    EXPECT_FALSE(texts.Shift.has_value());
    EXPECT_EQ(texts.Hint, "File     : /videos/Holiday.avi\nSize     : 5,368,709,120\nModified : 2023-06-15 12:34:56");
}

TEST(PanelTexts, NonDvFileHasNoLabelAndNoDatecodeValue)
{
    auto f = dvFile();
    f.IsDV = false;
    f.FileType = 0;
    f.Codec = "FMP4";
    f.Datecode = DateTime();
    f.DatecodeText = "-";
    const auto texts = core::MakePanelTexts(f, "yyyy", nullptr);
    EXPECT_EQ(texts.Codec, "FMP4");
    EXPECT_EQ(texts.Datecode, "-");
}

TEST(PanelTexts, DurationWithADifferentAudioDuration)
{
    auto f = dvFile();
    f.AudioDurationText = "4s 24fr";
    EXPECT_EQ(core::PanelDurationText(f), "5s 00fr (4s 24fr)");
    f.AudioDurationText.clear();
    EXPECT_EQ(core::PanelDurationText(f), "5s 00fr");
}

TEST(PanelTexts, ShiftSignAndVisibility)
{
    auto f = dvFile();
    f.ShiftText = "1h 00mn";
    f.Shift = DateTime::fromDays(1.0 / 24);
    EXPECT_EQ(core::MakePanelTexts(f, "yyyy", nullptr).Shift, "+1h 00mn");
    f.ShiftText = "-1h 00mn";
    f.Shift = DateTime::fromDays(-1.0 / 24);
    EXPECT_EQ(core::MakePanelTexts(f, "yyyy", nullptr).Shift, "-1h 00mn");
}

TEST(PanelTexts, FrameRateInShortestForm)
{
    EXPECT_EQ(core::PanelFpsText(25.0), "25");
    EXPECT_EQ(core::PanelFpsText(30000.0 / 1001.0), "29.97002997003");
    EXPECT_EQ(core::PanelFpsText(29.97), "29.97");
    EXPECT_EQ(core::PanelFpsText(0.0), "");
    EXPECT_EQ(core::PanelFpsText(-1.0), "");
}

TEST(PanelTexts, NameFontShrinksToFitButNotBelowEightPoints)
{
    EXPECT_EQ(core::PanelNameFontHeight(100, 300, 96), 13);
    // Twice as wide as the room: about half the height.
    EXPECT_EQ(core::PanelNameFontHeight(580, 300, 96), 11);
    EXPECT_EQ(core::PanelNameFontHeight(400, 300, 48), 9); // 290 * 13 / 400, above 8 points at 48 dpi
    EXPECT_EQ(core::PanelNameFontHeight(2000, 210, 192), 22);
    EXPECT_EQ(core::PanelNameFontHeight(2000, 210, 96), 11);
}

} // namespace
