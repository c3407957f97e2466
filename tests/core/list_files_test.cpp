// Playlists written and read back, and the lines of the detailed list.
#include "core/list_files.h"

#include "core/text_encoding.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

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
