// The inlay settings turned into the inlay's record, and the personal templates.
#include "commands/inlay_settings.h"
#include "prefs/settings_catalogue.h"

#include "core/avi_fichier.h"
#include "core/text_encoding.h"
#include "prefs/settings_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace camlog::commands {
namespace {

core::TaviFichier clipFichier(const std::string &path)
{
    core::TaviFichier fichier;
    fichier.SetPath(path);
    fichier.Codec = "dvsd";
    fichier.SizeText = "720 x 576 (Pal";
    fichier.AspectText = " 4x3)";
    fichier.AudioText = "48000Hz 16bits";
    fichier.DurationText = "0h 00mn 05s";
    fichier.Shift = core::DateTime::fromDays(0.25);
    return fichier;
}

prefs::Settings defaults()
{
    return prefs::defaultSettings({}, {});
}

std::string expand(const std::string &templ, int line, const core::TaviFichier *active)
{
    return core::Utf16ToUtf8(ExpandInlayTemplate(core::Utf8ToUtf16(templ), line, active));
}

TEST(ExpandInlayTemplateTest, CodesAreFilledFromTheActiveFileWhateverTheirCase)
{
    const core::TaviFichier clip = clipFichier("/video/holiday.2008/clip.avi");
    struct Case {
        std::string templ;
        int line;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"%D", 1, "%D1"},
        {"%d", 2, "%D2"},
        {"%F", 1, "clip"},
        {"%f%E", 1, "clip.avi"},
        {"%e", 1, ".avi"},
        {"%P", 1, "/video/holiday.2008/"},
        {"%C", 1, "dvsd"},
        {"%i", 1, "720 x 576 (Pal 4x3)"},
        {"%A", 1, "48000Hz 16bits"},
        {"%u", 1, "0h 00mn 05s"},
        {"%T stays for the frame", 2, "%T stays for the frame"},
        {"%F%E %D", 1, "clip.avi %D1"},
        {"with datecode=%D, timecode=%T, etc...", 2, "with datecode=%D2, timecode=%T, etc..."},
        {"100% sure", 1, "100% sure"},
        {"", 1, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(expand(c.templ, c.line, &clip), c.expected) << c.templ << " line " << c.line;
}

TEST(ExpandInlayTemplateTest, ExtensionOnlyFromADotInTheName)
{
    struct Case {
        std::string path;
        std::string expected; // "%F|%E|%P"
    };
    const std::vector<Case> cases{
        {"/video/holiday.2008/clip", "clip||/video/holiday.2008/"},
        {"/video/clip.tape.avi", "clip.tape|.avi|/video/"},
        {"clip.avi", "clip|.avi|"},
    };
    for (const Case &c : cases) {
        const core::TaviFichier f = clipFichier(c.path);
        EXPECT_EQ(expand("%F|%E|%P", 1, &f), c.expected) << c.path;
    }
}

TEST(ExpandInlayTemplateTest, WithoutAnActiveFileTheTemplateStaysAsTyped)
{
    EXPECT_EQ(expand("%F%E %D %T", 1, nullptr), "%F%E %D %T");
}

TEST(ApplyInlaySettingsTest, ContentChoosesTheLineTemplates)
{
    const core::TaviFichier clip = clipFichier("/video/clip.avi");
    struct Case {
        int content;
        std::string line1, line2;
    };
    const std::vector<Case> cases{
        {0, "%D1", "%D2"},
        {1, "", "%T"},
        {2, "clip.avi %D1", "at %D2"},
        {7, "%D1", "%D2"},
    };
    for (const Case &c : cases) {
        prefs::Settings settings = defaults();
        settings.whatIncrust = c.content;
        settings.texte1 = "%F%E %D";
        settings.texte2 = "at %d";
        const media::TincrustRec rec = ApplyInlaySettings(settings, &clip);
        EXPECT_EQ(core::Utf16ToUtf8(rec.line1), c.line1) << c.content;
        EXPECT_EQ(core::Utf16ToUtf8(rec.line2), c.line2) << c.content;
    }
}

TEST(ApplyInlaySettingsTest, TheOtherFieldsComeFromTheSettingsAndTheFile)
{
    const core::TaviFichier clip = clipFichier("/video/clip.avi");
    const media::TincrustRec rec = ApplyInlaySettings(defaults(), &clip);
    EXPECT_EQ(rec.timing, 2);
    EXPECT_EQ(rec.dateFormat1, "ddddd");
    EXPECT_EQ(rec.dateFormat2, "tt");
    EXPECT_EQ(rec.durationSeconds, 5);
    EXPECT_EQ(rec.borderSize, 2);
    EXPECT_EQ(rec.font, (media::InlayFont{"arial", 16, 0x00FFFFFF, false, false, false, false}));
    EXPECT_FALSE(rec.autoSize);
    EXPECT_DOUBLE_EQ(rec.timeDifference, 0.25);
    EXPECT_DOUBLE_EQ(ApplyInlaySettings(defaults(), nullptr).timeDifference, 0.0);

    prefs::Settings settings = defaults();
    settings.incrustFont = {"DejaVu Serif", -30, 0x000000FF, 1, 1, 0, 1};
    settings.whenIncrust = 0;
    settings.borderSize = 0;
    const media::TincrustRec other = ApplyInlaySettings(settings, &clip);
    EXPECT_EQ(other.font, (media::InlayFont{"DejaVu Serif", -30, 0x000000FF, true, true, false, true}));
    EXPECT_EQ(other.timing, 0);
    EXPECT_EQ(other.borderSize, 0);
}

// Values set in memory beyond their bounds (the settings file's are checked when read) are held
// to them: a border of 400 would make a 1-second inlay take minutes, 2^31-1 would draw nothing.
TEST(ApplyInlaySettingsTest, ValuesBeyondTheirBoundsAreHeldToThem)
{
    const struct {
        int border;
        int seconds;
        int fontSize;
        int boundBorder;
        int boundSeconds;
        int boundFontSize;
    } cases[] = {
        {400, 1, 30, prefs::kInlayBorderMax, 1, prefs::kInlayFontSizeMax},
        {2147483647, 2147483647, 2147483647, prefs::kInlayBorderMax, prefs::kInlaySecondsMax, prefs::kInlayFontSizeMax},
        {-5, -1, -2147483647, 0, 0, prefs::kInlayFontSizeMin},
        {3, 10, 0, 3, 10, 16},
    };
    for (const auto &c : cases) {
        prefs::Settings settings = defaults();
        settings.borderSize = c.border;
        settings.dureeIncrustation = c.seconds;
        settings.incrustFont.Size = c.fontSize;
        const media::TincrustRec rec = ApplyInlaySettings(settings, nullptr);
        EXPECT_EQ(rec.borderSize, c.boundBorder) << c.border;
        EXPECT_EQ(rec.durationSeconds, c.boundSeconds) << c.seconds;
        EXPECT_EQ(rec.font.size, c.boundFontSize) << c.fontSize;
    }
}

TEST(InlayEditorTextsTest, DurationTextThatIsNotAWholeNumberGivesFive)
{
    const std::vector<std::pair<std::string, int>> cases{{"12", 12},     {" 7 ", 7},  {"abc", 5},         {"", 5},
                                                         {"3.5", 5},     {"4s", 5},   {"99999999999", 5}, {"0", 0},
                                                         {"3600", 3600}, {"3601", 5}, {"-1", 5}};
    for (const auto &[text, seconds] : cases)
        EXPECT_EQ(InlayDurationFromText(text), seconds) << '"' << text << '"';
}

TEST(InlayEditorTextsTest, SizeTextSetsAutoOrAWholeSizeAboveZero)
{
    struct Case {
        std::string text;
        int size;
        bool autoSize;
    };
    const std::vector<Case> cases{
        {"auto", 16, true},
        {"24", 24, false},
        {" 36 ", prefs::kInlayFontSizeMax, false},
        {"abc", 16, false},
        {"0", 16, false},
        {"-8", 16, false},
        {"Auto", 16, false},
        {"", 16, false},
        {"28", 28, false},
        {"400", prefs::kInlayFontSizeMax, false},
    };
    for (const Case &c : cases) {
        media::InlayFont font;
        bool autoSize = !c.autoSize;
        ApplyInlaySizeText(c.text, font, autoSize);
        EXPECT_EQ(font.size, c.size) << c.text;
        EXPECT_EQ(autoSize, c.autoSize) << c.text;
    }
}

} // namespace
} // namespace camlog::commands
