// Playlists written and read back, and the lines of the detailed list.
#include "core/list_files.h"

#include "core/avi_fichier.h"
#include "core/text_encoding.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using namespace camlog;
using namespace camlog::core;

namespace {

const PlaylistInfo kInfo{"Camlog 0.1.0En", "https://camlog.example", "by datecode", "2026/12/10 10:00:00"};

std::string utf16FileAsUtf8(const std::filesystem::path &path)
{
    const auto bytes = test::readBytes(path);
    EXPECT_TRUE(HasUtf16LeBom(bytes.data(), bytes.size()));
    return Utf16ToUtf8(DecodeUtf16Le(bytes.data(), bytes.size()));
}

} // namespace

TEST(Playlist, WrittenAsUtf16WithHeaderAndFooter)
{
    const auto dir = test::scratchDir("PlaylistWritten");
    const std::vector<std::string> paths = {"/videos/a.avi", "/videos/été.avi"};
    ASSERT_TRUE(WritePlaylist(dir / "list.txt", paths, kInfo));
    const std::string expected = "# -------------------------------------------------------------\r\n"
                                 "#\r\n"
                                 "# Playlist of Camlog 0.1.0En\r\n"
                                 "#\r\n"
                                 "# -------------------------------------------------------------\r\n"
                                 "# Visit my website : https://camlog.example\r\n"
                                 "\r\n"
                                 "     /videos/a.avi\r\n"
                                 "     /videos/été.avi\r\n"
                                 "\r\n"
                                 "# -------------------------------------------------------------\r\n"
                                 "# 2 file  sorted  by datecode\r\n"
                                 "# Done on 2026/12/10 10:00:00\r\n";
    EXPECT_EQ(utf16FileAsUtf8(dir / "list.txt"), expected);
}

TEST(Playlist, CountLineTakesItsBlanksFromTheCount)
{
    struct Case {
        std::size_t count;
        std::string line;
    };
    const Case cases[] = {
        {0, "# 0 file sorted by datecode"},
        {1, "# 1 file sorted by datecode"},
        {5, "# 5 file  sorted  by datecode"},
    };
    for (const auto &c : cases) {
        const auto lines = PlaylistLines(std::vector<std::string>(c.count, "/x.avi"), kInfo);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], c.line);
    }
    // An empty list: the header, two empty lines and the footer.
    const auto empty = PlaylistLines({}, kInfo);
    EXPECT_EQ(empty.size(), 11u);
    EXPECT_EQ(empty[6], "");
    EXPECT_EQ(empty[7], "");
}

TEST(Playlist, ReadBackGivesTheSameEntries)
{
    const auto dir = test::scratchDir("PlaylistRoundTrip");
    const std::vector<std::string> paths = {"/videos/a.avi", "/videos/with  two blanks.avi", "/vidéos/日本.avi"};
    ASSERT_TRUE(WritePlaylist(dir / "list.txt", paths, kInfo));
    const auto read = ReadPlaylist(dir / "list.txt");
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read.value(), paths);
}

TEST(Playlist, AnyTextFileOfPathsIsAPlaylist)
{
    const auto dir = test::scratchDir("PlaylistText");
    struct Case {
        std::string name;
        std::string bytes;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"unix.txt", "/a.avi\n\n  /b.avi  \n# comment\n/c.avi", {"/a.avi", "/b.avi", "/c.avi"}},
        {"dos.txt", "/a.avi\r\n\t/b.avi\r\n", {"/a.avi", "/b.avi"}},
        {"utf8bom.txt", "\xEF\xBB\xBF/é.avi\n", {"/é.avi"}},
        {"ansi.txt", "/caf\xE9.avi\r\n", {"/café.avi"}},
        {"empty.txt", "", {}},
        {"comments.txt", "#\n# only\n   \n", {}},
    };
    for (const auto &c : cases) {
        test::writeBytes(dir / c.name, std::vector<std::uint8_t>(c.bytes.begin(), c.bytes.end()));
        const auto read = ReadPlaylist(dir / c.name);
        ASSERT_TRUE(read) << c.name;
        EXPECT_EQ(read.value(), c.expected) << c.name;
    }
}

TEST(Playlist, FailuresAreReportedAndLeaveFilesAlone)
{
    const auto dir = test::scratchDir("PlaylistFailures");
    EXPECT_EQ(ReadPlaylist(dir / "missing.txt").error().code, ListFileError::Unreadable);
    EXPECT_EQ(ReadPlaylist(dir).error().code, ListFileError::Unreadable);

    const auto blocked = WritePlaylist(dir / "no-such-folder" / "list.txt", {"/a.avi"}, kInfo);
    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.error().code, ListFileError::Unwritable);
    EXPECT_NE(blocked.error().message.find("list.txt"), std::string::npos);

    // Writing onto a folder fails without touching it.
    std::filesystem::create_directory(dir / "folder.txt");
    EXPECT_FALSE(WritePlaylist(dir / "folder.txt", {"/a.avi"}, kInfo));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.txt"));

    // In a read-only folder the old playlist stays as it was (unless running as root,
    // who may write anyway).
    std::filesystem::create_directory(dir / "locked");
    ASSERT_TRUE(WritePlaylist(dir / "locked" / "list.txt", {"/old.avi"}, kInfo));
    chmod((dir / "locked").c_str(), 0555);
    const bool written = WritePlaylist(dir / "locked" / "list.txt", {"/new.avi"}, kInfo).ok();
    const auto kept = ReadPlaylist(dir / "locked" / "list.txt");
    chmod((dir / "locked").c_str(), 0755);
    ASSERT_TRUE(kept);
    if (geteuid() != 0) {
        EXPECT_FALSE(written);
        EXPECT_EQ(kept.value(), std::vector<std::string>{"/old.avi"});
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "locked" / "list.txt.camlog-tmp"));
}

namespace {

// A PAL type 2 file as the file object describes it after opening.
TaviFichier palType2File()
{
    TaviFichier f;
    f.SetPath("/videos/holiday.avi");
    f.Found = true;
    f.SizeHigh = 1;
    f.SizeLow = 705032704; // 5 000 000 000 bytes
    f.Modified = *DateTime::fromFields({2024, 5, 2, 8, 30, 0, 0});
    f.Datecode = *DateTime::fromFields({2024, 5, 1, 10, 0, 0, 0});
    f.DatecodeText = "01/05/2024 10:00:00";
    f.TimecodeText = "00.00.00.00";
    f.Codec = "dvsd";
    f.IsDV = true;
    f.FileType = 2;
    f.SizeText = "720 x 576 (Pal";
    f.AspectText = " 4x3)";
    f.DurationText = "5s 00fr";
    f.AudioDurationText = "5s 00fr";
    f.FrameRate = 25.0;
    f.AudioText = "48000Hz 16 bits  stereo";
    f.AudioFormatText = "PCM 192000 bytes/s";
    return f;
}

} // namespace

TEST(DetailedList, LineOfAPalType2File)
{
    setlocale(LC_ALL, "C");
    const std::string pattern = "yyyy-mm-dd hh:nn:ss";
    auto f = palType2File();
    EXPECT_EQ(DetailedListLine(f, pattern),
              "/videos/holiday.avi,2024-05-01 10:00:00,no scn,no srt,00.00.00.00,dvsd (type 2),720 x 576 (Pal 4x3),"
              "5s 00fr,25,48000Hz 16 bits  stereo,PCM 192000 bytes/s,5,000,000,000,2024-05-02 08:30:00,");

    struct Case {
        const char *what;
        std::function<void(TaviFichier &)> change;
        std::size_t field;
        std::string expected;
    };
    const Case cases[] = {
        {"no datecode",
         [](TaviFichier &x) {
             x.Datecode = {};
             x.DatecodeText = "N/A";
         },
         1, "N/A"},
        {"scn beside", [](TaviFichier &x) { x.HasScn = true; }, 2, "scn"},
        {"srt beside", [](TaviFichier &x) { x.HasSrt = true; }, 3, "srt"},
        {"type 1", [](TaviFichier &x) { x.FileType = 1; }, 5, "dvsd (type 1)"},
        {"type 2 iavs", [](TaviFichier &x) { x.Type2Iavs = true; }, 5, "dvsd (type 2 iavs)"},
        {"atypical", [](TaviFichier &x) { x.FileType = 0; }, 5, "dvsd (atypical)"},
        {"not DV",
         [](TaviFichier &x) {
             x.IsDV = false;
             x.Codec = "XVID";
         },
         5, "XVID"},
        {"audio longer", [](TaviFichier &x) { x.AudioDurationText = "5s 01fr"; }, 7, "5s 00fr (5s 01fr)"},
        {"no video", [](TaviFichier &x) { x.FrameRate = 0; }, 8, ""},
        {"NTSC rate", [](TaviFichier &x) { x.FrameRate = 30000.0 / 1001.0; }, 8, "29.97002997003"},
        {"shift forwards",
         [](TaviFichier &x) {
             x.Shift = DateTime::fromDays(0.5);
             x.ShiftText = "12h";
         },
         16, "+12h"},
        {"shift backwards",
         [](TaviFichier &x) {
             x.Shift = DateTime::fromDays(-0.5);
             x.ShiftText = "-12h";
         },
         16, "-12h"},
    };
    for (const auto &c : cases) {
        auto changed = palType2File();
        c.change(changed);
        // Fields are split on commas; the size field holds three separators of its own.
        std::vector<std::string> fields;
        std::string line = DetailedListLine(changed, pattern);
        for (std::size_t start = 0;;) {
            const auto comma = line.find(',', start);
            fields.push_back(line.substr(start, comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        ASSERT_EQ(fields.size(), 17u) << c.what;
        EXPECT_EQ(fields[c.field], c.expected) << c.what;
    }
}

TEST(DetailedList, WrittenLikeAPlaylist)
{
    const auto dir = test::scratchDir("DetailedList");
    const auto a = palType2File();
    auto b = palType2File();
    b.SetPath("/videos/second.avi");
    ASSERT_TRUE(WriteDetailedList(dir / "list.txt", {&a, &b}, "yyyy"));
    const auto text = utf16FileAsUtf8(dir / "list.txt");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_TRUE(text.starts_with("/videos/holiday.avi,2024,"));
    EXPECT_NE(text.find("\r\n/videos/second.avi,"), std::string::npos);
    EXPECT_TRUE(text.ends_with(",2024,\r\n"));
}

namespace {

// Every name a playlist holds reads back as it was written; a name that would not (a line
// break, bytes that are not UTF-8, a blank the reading trims) refuses the playlist by that name
// and leaves the old one.
TEST(Playlist, NamesThatWouldNotReadBackAreRefusedByName)
{
    const auto dir = test::scratchDir("PlaylistOddNames");
    const std::vector<std::string> fine = {"/v/été.avi", "/v/a b.avi", "/v/#1.avi", "/v/tab\there.avi"};
    ASSERT_TRUE(WritePlaylist(dir / "list.txt", fine, kInfo));
    const auto read = ReadPlaylist(dir / "list.txt");
    ASSERT_TRUE(read);
    EXPECT_EQ(read.value(), fine);

    const struct {
        std::string name;
        const char *shown; // the name as the message shows it
        const char *problem;
    } refused[] = {
        {"/v/two\nlines.avi", "/v/two\nlines.avi", "line break"},
        {"/v/cr\r.avi", "/v/cr\r.avi", "line break"},
        {"/v/latin\xE9.avi", "/v/latin\xEF\xBF\xBD.avi", "not UTF-8"},
        {"/v/space.avi ", "/v/space.avi ", "blank"},
    };
    for (const auto &c : refused) {
        const auto written = WritePlaylist(dir / "list.txt", {"/v/new.avi", c.name}, kInfo);
        ASSERT_FALSE(written) << c.problem;
        EXPECT_NE(written.error().message.find(std::string("\"") + c.shown + "\""), std::string::npos)
            << written.error().message;
        EXPECT_NE(written.error().message.find(c.problem), std::string::npos) << written.error().message;
        EXPECT_EQ(ReadPlaylist(dir / "list.txt").value(), fine) << c.problem;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
