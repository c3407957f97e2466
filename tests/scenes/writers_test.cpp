// The text files written for people: the srt writer's subtitles and the scene text export, UTF-8 with CR LF.
#include "scenes/write_scn_text.h"
#include "scenes/write_srt.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace camlog;
namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path &path)
{
    const auto bytes = test::readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Joins lines with CR LF after each one.
std::string crlf(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &line : lines)
        out += line + "\r\n";
    return out;
}

struct Caption {
    std::uint32_t frame;
    const char *line1;
    const char *line2;
};

std::string srtOf(const std::string &test, double rate, const std::vector<Caption> &captions)
{
    const fs::path dir = test::scratchDir(test);
    const std::string video = (dir / "clip.avi").string();
    {
        scenes::TWriteSrt srt(video, rate);
        for (const Caption &c : captions)
            srt.WriteCaption(c.frame, c.line1, c.line2);
        EXPECT_TRUE(srt.close());
    }
    return readText(dir / "clip.srt");
}

} // namespace

TEST(SrtWriter, EveryStretchOfUnchangedLinesIsOneSubtitle)
{
    const std::string text = srtOf("SrtStretches", 25.0,
                                   {{0, "01/05/2024", "10:00:00"},
                                    {25, "01/05/2024", "10:00:01"},
                                    {50, "", ""},
                                    {60, "", ""},
                                    {75, "only the first", ""},
                                    {100, "", "only the second"},
                                    {125, "", ""}});
    EXPECT_EQ(text, crlf({"1",
                          "00:00:00,000 --> 00:00:01,000",
                          "01/05/2024",
                          "10:00:00",
                          "",
                          "2",
                          "00:00:01,000 --> 00:00:02,000",
                          "01/05/2024",
                          "10:00:01",
                          "",
                          "3",
                          "00:00:03,000 --> 00:00:04,000",
                          "only the first",
                          " ",
                          "",
                          "4",
                          "00:00:04,000 --> 00:00:05,000",
                          " ",
                          "only the second",
                          ""}));
}

TEST(SrtWriter, SubtitleStillPendingAtTheEndIsNotWritten)
{
    // The detector closes the last subtitle with empty lines at stop; without that call
    // there is no end time to write.
    EXPECT_EQ(srtOf("SrtPending", 25.0, {{0, "a", "b"}}), "");
    EXPECT_EQ(srtOf("SrtNothing", 25.0, {{0, "", ""}, {10, "", ""}}), "");
}

TEST(SrtWriter, TimeStampsFollowTheFrameRate)
{
    struct Case {
        double rate;
        std::uint32_t from, to;
        const char *times;
    };
    const Case cases[] = {
        {25.0, 0, 1, "00:00:00,000 --> 00:00:00,040"},
        {25.0, 89999, 90000, "00:59:59,960 --> 01:00:00,000"},
        {25.0, 9000000, 9000025, "100:00:00,000 --> 100:00:01,000"},
        {29.97, 0, 1, "00:00:00,000 --> 00:00:00,033"},
        {29.97, 2, 30, "00:00:00,067 --> 00:00:01,001"},
        {29.97, 107892, 107893, "01:00:00,000 --> 01:00:00,033"},
    };
    for (const Case &c : cases) {
        const std::string text = srtOf("SrtTimes", c.rate, {{c.from, "x", "y"}, {c.to, "", ""}});
        EXPECT_EQ(text, crlf({"1", c.times, "x", "y", ""})) << c.rate << " " << c.from;
    }
}

TEST(SrtWriter, DetectorLinesAreWrittenAsUtf8)
{
    const fs::path dir = test::scratchDir("SrtUtf8");
    {
        scenes::TWriteSrt srt((dir / "clip.avi").string(), 25.0);
        srt.WriteCaption(0, std::u16string_view(u"Mercredi 1 mai – été"), std::u16string_view(u"€ 😀"));
        srt.WriteCaption(5, std::u16string_view(u""), std::u16string_view(u""));
    }
    EXPECT_EQ(readText(dir / "clip.srt"),
              crlf({"1", "00:00:00,000 --> 00:00:00,200", "Mercredi 1 mai – été", "€ 😀", ""}));
}

TEST(TextFile, MalformedUtf8IsWrittenAsReplacementCharacters)
{
    const fs::path dir = test::scratchDir("TextFileMalformed");
    {
        scenes::TwriteFile file(dir / "out.txt");
        file.WriteLine("a\xFF"
                       "b");
        file.WriteLine("\xC3");
    }
    EXPECT_EQ(readText(dir / "out.txt"), crlf({"a\xEF\xBF\xBD"
                                               "b",
                                               "\xEF\xBF\xBD"}));
}

TEST(TextFile, ReplacesAnExistingFileOnlyWhenClosed)
{
    const fs::path dir = test::scratchDir("TextFileReplace");
    test::writeBytes(dir / "out.txt", {'o', 'l', 'd'});
    scenes::TwriteFile file(dir / "out.txt");
    file.WriteLine("new");
    EXPECT_EQ(readText(dir / "out.txt"), "old");
    EXPECT_TRUE(file.close());
    EXPECT_EQ(readText(dir / "out.txt"), "new\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// An aborted run discards its file: the old one stays and no temporary is left behind, also
// when the writer ends its file with closing lines (the srt writer) in its destructor.
TEST(TextFile, DiscardedFileLeavesTheOldOneAlone)
{
    const fs::path dir = test::scratchDir("TextFileDiscard");
    test::writeBytes(dir / "out.txt", {'o', 'l', 'd'});
    test::writeBytes(dir / "clip.srt", {'o', 'l', 'd'});
    {
        scenes::TwriteFile file(dir / "out.txt");
        file.WriteLine("new");
        file.discard();
        EXPECT_FALSE(file.close());
        scenes::TWriteSrt srt((dir / "clip.avi").string(), 25.0);
        srt.WriteCaption(0, u"line", u"");
        srt.discard();
    }
    EXPECT_EQ(readText(dir / "out.txt"), "old");
    EXPECT_EQ(readText(dir / "clip.srt"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(TextFile, FileThatCannotBeCreatedMakesWritesHarmlessAndSaysSo)
{
    const fs::path dir = test::scratchDir("TextFileCannotCreate");
    fs::create_directory(dir / "taken.srt");
    struct Case {
        const char *what;
        std::string video;
        fs::path leftover; // what must be as it was afterwards
    };
    const Case cases[] = {
        {"missing folder", (dir / "missing" / "clip.avi").string(), dir / "missing"},
        {"folder in the way", (dir / "taken.avi").string(), dir / "taken.srt"},
    };
    for (const Case &c : cases) {
        const bool existed = fs::exists(c.leftover);
        scenes::TWriteSrt srt(c.video, 25.0);
        srt.WriteCaption(0, "a", "b");
        srt.WriteCaption(10, "", "");
        EXPECT_FALSE(srt.close()) << c.what;
        EXPECT_FALSE(srt.ok()) << c.what;
        EXPECT_FALSE(srt.errorMessage().empty()) << c.what;
        EXPECT_EQ(fs::exists(c.leftover), existed) << c.what;
        if (existed) {
            EXPECT_TRUE(fs::is_directory(c.leftover)) << c.what;
        }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

namespace {

// Frame 0 has a datecode and a timecode; the others have neither.
class TwoFrameKinds : public scenes::FrameSource {
public:
    bool frameAt(std::int64_t index, scenes::FrameInfo &out, bool) override
    {
        out = scenes::FrameInfo{};
        if (index == 0) {
            out.datecodeValid = true;
            out.datecode = *core::DateTime::fromFields({2024, 5, 1, 10, 0, 0, 0});
            out.timecodeValid = true;
            out.timecode = {0, 0, 0, 0};
        }
        return true;
    }
};

} // namespace

TEST(ScnTextExport, HeaderOneLinePerSceneAndFooter)
{
    const fs::path dir = test::scratchDir("ScnTextExport");
    const core::DateTimeLocale locale = core::DateTimeLocale::fallback();
    scenes::SceneContext context;
    context.videoLoaded = true;
    context.frameRate = 25.0;
    context.pictureWidth = 720;
    context.pictureHeight = 576;
    context.datecodeFormat = "ddddd tt";
    context.locale = &locale;

    scenes::TSceneClass first(0, 250, context);
    first.number = 7; // the export counts its own lines
    scenes::TSceneClass second(250, 600, context);
    second.title = "Beach";
    TwoFrameKinds source;
    scenes::FillSceneDetails(first, source, context);
    scenes::FillSceneDetails(second, source, context);

    scenes::ScnTextExportInfo info;
    info.webSite = "https://camlog.example";
    info.now = [] {
        return *core::DateTime::fromFields({2024, 5, 2, 18, 30, 5, 0});
    };
    info.locale = &locale;
    {
        scenes::TWriteScn_text writer("/Videos/Été 2024/CLIP.avi", dir / "CLIP_scn.txt", info);
        writer.WriteSceneLine(first);
        writer.WriteSceneLine(second);
    }
    EXPECT_EQ(readText(dir / "CLIP_scn.txt"),
              crlf({"//--------------------------------------------------", "// List of scenes of the video file:",
                    "//", "// ***   /videos/été 2024/clip.avi   ***", "//", "// exported by Camlog version 7.0.9 En",
                    "// with format:", "// scene number, start, end, duration, datecode, timecode, caption", "//",
                    "//--------------------------------------------------", "",
                    "  1, 0:00:00:00, 0:00:09:24, 10.00, 01/05/2024 10:00:00, 00.00.00.00, , ",
                    "  2, 0:00:10:00, 0:00:23:24, 14.00, N/A, N/A, Beach, ", "",
                    "//--------------------------------------------------",
                    "// Terminated at Thursday 2 May 2024 at 18:30:05", "// Visit my web site https://camlog.example",
                    "//"}));
}

TEST(ScnTextExport, WriterThatCannotCreateItsFileStillAcceptsLines)
{
    const fs::path dir = test::scratchDir("ScnTextExportFails");
    scenes::TWriteScn_text writer("/v/clip.avi", dir / "missing" / "clip_scn.txt", {});
    writer.WriteSceneLine(scenes::TSceneClass(0, 10, scenes::SceneContext{}));
    EXPECT_FALSE(writer.ok());
    EXPECT_FALSE(writer.close());
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(ScnTextExport, PathsAreWrittenInLowerCase)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/Videos/CLIP.AVI", "/videos/clip.avi"},
        {"/Vidéos/ÉTÉ/À Ø Þ × ß", "/vidéos/été/à ø þ × ß"},
        {"/ĀČĽŒŸŽ", "/āčľœÿž"},
        {"/ΩΜΕΓΑ/ДОМ/ЁЖ", "/ωμεγα/дом/ёж"},
        {"/日本/😀", "/日本/😀"},
    };
    for (const auto &[text, lower] : cases)
        EXPECT_EQ(scenes::LowerCaseText(text), lower) << text;
}
