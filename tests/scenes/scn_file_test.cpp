// The scn file byte for byte, read back, cut, damaged and missing; scene texts, labels and details.
#include "scenes/scn_file.h"

#include "core/text_encoding.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace camlog;
using scenes::SceneContext;
using scenes::SceneList;
using scenes::TSceneClass;
using scenes::TwriteScene;
namespace fs = std::filesystem;

namespace {

// The layout's pieces, appended in file order.
struct Layout {
    std::vector<std::uint8_t> bytes;

    Layout &raw(std::initializer_list<int> values)
    {
        for (int v : values)
            bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Layout &ascii(const std::string &text)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    Layout &int32(std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        return raw({static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF), static_cast<int>((u >> 16) & 0xFF),
                    static_cast<int>(u >> 24)});
    }
    Layout &unicode(const std::u16string &text)
    {
        raw({0xFF, 0xFE, 0xFF, static_cast<int>(text.size())});
        for (char16_t c : text)
            raw({c & 0xFF, c >> 8});
        return *this;
    }
    Layout &header(const std::u16string &path, int count)
    {
        raw({0x63, 0x26, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x0A, 0x00}).ascii("SourceTape");
        unicode(path).raw({0, 0, 0, 0, 0, 0, 0x0C, 0});
        return raw({count & 0xFF, count >> 8});
    }
    Layout &firstRecord(const std::u16string &path, std::int32_t end, int a, int b)
    {
        raw({0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00}).ascii("Clip").raw({0x50, a, b, 0x00});
        raw({0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00}).ascii("Scene").unicode(u"").int32(0).int32(end);
        raw({0, 0, 0, 0, 0x01, 0x80}).unicode(path).int32(0).int32(0).int32(end);
        return *this;
    }
    Layout &laterRecord(std::int32_t start, std::int32_t length, int a, int b)
    {
        raw({0x03, 0x80, 0xF0, a, b, 0x00, 0x05, 0x80}).unicode(u"").int32(start).int32(length);
        return raw({0, 0, 0, 0, 0x07, 0x00}).int32(start).int32(length).int32(start);
    }
};

SceneContext palContext()
{
    SceneContext context;
    context.videoLoaded = true;
    context.frameRate = 25.0;
    context.pictureWidth = 720;
    context.pictureHeight = 576;
    return context;
}

struct SceneSpec {
    std::int32_t start;
    std::int32_t end;
    std::string title;
    std::string subtitle;
    std::int32_t pictureOffset = 0;
};

// What a scene list stores in a scn file.
using Stored = std::tuple<std::int32_t, std::int32_t, std::string, std::string, std::int32_t, std::int32_t>;

Stored storedOf(const TSceneClass &scene)
{
    return {scene.start, scene.end, scene.title, scene.subtitle, scene.pictureOffset, scene.number};
}

std::vector<Stored> storedOf(const SceneList &list)
{
    std::vector<Stored> out;
    for (const auto &item : list)
        out.push_back(storedOf(*item.scene));
    return out;
}

bool writeScenes(const std::string &video, const std::vector<SceneSpec> &specs)
{
    TwriteScene writer(video);
    for (const SceneSpec &spec : specs) {
        TSceneClass scene(spec.start, spec.end, palContext());
        scene.title = spec.title;
        scene.subtitle = spec.subtitle;
        scene.pictureOffset = spec.pictureOffset;
        if (!writer.WriteScene(scene))
            return false;
    }
    return writer.close();
}

std::string makeVideo(const fs::path &dir, const std::string &name = "clip.avi")
{
    return (dir / name).string();
}

} // namespace

TEST(ScnFileName, ReplacesTheExtensionOfTheFileNameOnly)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/videos/clip.avi", "/videos/clip.scn"},     {"/videos/holiday.2024.avi", "/videos/holiday.2024.scn"},
        {"/videos.old/clip", "/videos.old/clip.scn"}, {"clip.AVI", "clip.scn"},
        {"/videos/clip.", "/videos/clip.scn"},
    };
    for (const auto &[video, scn] : cases)
        EXPECT_EQ(scenes::ScnFileName(video), scn) << video;
}

TEST(ScnLayout, OneSceneWithoutCaptionIsHeaderAndFirstRecord)
{
    const fs::path dir = test::scratchDir("ScnLayoutOne");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 250, "", ""}}));

    const std::u16string path = core::Utf8ToUtf16(video);
    Layout expected;
    expected.header(path, 1).firstRecord(path, 250, 0x00, 0x00);
    const auto bytes = test::readBytes(dir / "clip.scn");
    EXPECT_EQ(bytes, expected.bytes);
    EXPECT_EQ(bytes.size(), 97 + 4 * path.size());
}

TEST(ScnLayout, LaterRecordsCarryStartLengthFlagsOffsetAndCaption)
{
    const fs::path dir = test::scratchDir("ScnLayoutTwo");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(
        video,
        {{0, 250, "", ""}, {250, 600, "Beach", ""}, {600, 700, "", "", 12}, {700, 900, "Party", "with é and 😀", -3}}));

    const std::u16string path = core::Utf8ToUtf16(video);
    Layout expected;
    expected.header(path, 4).firstRecord(path, 250, 0x00, 0x00);
    expected.laterRecord(250, 350, 0x80, 0x00).unicode(u"Beach\r\n");
    expected.laterRecord(600, 100, 0x00, 0x40).int32(12);
    expected.laterRecord(700, 200, 0x80, 0x40).int32(-3).unicode(u"Party\r\nwith é and 😀");
    EXPECT_EQ(test::readBytes(dir / "clip.scn"), expected.bytes);
}

TEST(ScnLayout, FirstSceneIsStoredFromFrameZeroWithItsFlags)
{
    const fs::path dir = test::scratchDir("ScnLayoutFirstStart");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{40, 250, "", "Sub", 7}}));

    const std::u16string path = core::Utf8ToUtf16(video);
    Layout expected;
    expected.header(path, 1).firstRecord(path, 250, 0x80, 0x40).int32(7).unicode(u"\r\nSub");
    EXPECT_EQ(test::readBytes(dir / "clip.scn"), expected.bytes);

    SceneList list;
    ASSERT_TRUE(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).ok());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(storedOf(*list[0].scene), Stored(0, 250, "", "Sub", 7, 1));
}

TEST(ScnLayout, WriterWithoutScenesEndsBeforeTheCountField)
{
    const fs::path dir = test::scratchDir("ScnLayoutEmpty");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {}));
    const std::u16string path = core::Utf8ToUtf16(video);
    EXPECT_EQ(test::readBytes(dir / "clip.scn").size(), 36 + 2 * path.size());

    SceneList list;
    EXPECT_EQ(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).error, scenes::ScnReadError::Truncated);
    EXPECT_TRUE(list.empty());
}

TEST(ScnRoundTrip, ReadsBackWhatWasWritten)
{
    const std::vector<std::vector<SceneSpec>> lists = {
        {{0, 1, "", ""}},
        {{0, 250, "", ""}, {250, 600, "Beach", ""}},
        {{0, 100, "Morning", "at the lake"}, {100, 101, "", "only a subtitle"}, {101, 5000, "x", "y", 4898}},
        {{0, 10, "Grüße", "€ – ü"}, {10, 20, "日本語", "😀😀"}, {20, 30, "", "", 1}, {30, 31, "", "", -1}},
        {{0, 2147483000, "long", ""}, {2147483000, 2147483647, "", "end"}},
    };
    int index = 0;
    for (const auto &specs : lists) {
        const fs::path dir = test::scratchDir("ScnRoundTrip" + std::to_string(index++));
        const std::string video = makeVideo(dir);
        ASSERT_TRUE(writeScenes(video, specs));
        SceneList list;
        const auto result = scenes::ReadScnFile(dir / "clip.scn", list, palContext());
        EXPECT_TRUE(result.ok()) << result.message;
        std::vector<Stored> expected;
        std::int32_t number = 1;
        for (const SceneSpec &s : specs)
            expected.emplace_back(s.start, s.end, s.title, s.subtitle, s.pictureOffset, number++);
        EXPECT_EQ(storedOf(list), expected);
        for (const auto &item : list)
            EXPECT_EQ(item.label, scenes::SceneLabel(*item.scene));
    }
}

TEST(ScnRoundTrip, ReadingClearsTheListFirst)
{
    const fs::path dir = test::scratchDir("ScnReadClears");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 5, "", ""}}));
    SceneList list = scenes::UniqueSceneList(77, palContext());
    ASSERT_TRUE(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).ok());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].scene->end, 5);
}

TEST(ScnRoundTrip, ReplacingAFileLeavesNoTemporaryFileBehind)
{
    const fs::path dir = test::scratchDir("ScnReplace");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 5, "old", ""}, {5, 9, "", ""}}));
    ASSERT_TRUE(writeScenes(video, {{0, 9, "new", ""}}));
    SceneList list;
    ASSERT_TRUE(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).ok());
    EXPECT_EQ(storedOf(list), std::vector<Stored>{Stored(0, 9, "new", "", 0, 1)});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(ScnRead, FileCutAtEveryLengthKeepsTheWholeRecordsBeforeTheCut)
{
    const fs::path dir = test::scratchDir("ScnCut");
    const std::string video = makeVideo(dir);
    const std::vector<SceneSpec> specs = {
        {0, 250, "First", "one", 3}, {250, 600, "Beach", ""}, {600, 700, "", "", 12}, {700, 900, "", "last"}};
    // End of each record: the size of the file holding the records up to it.
    std::vector<std::size_t> recordEnds;
    for (std::size_t k = 1; k <= specs.size(); ++k) {
        ASSERT_TRUE(writeScenes(video, std::vector<SceneSpec>(specs.begin(), specs.begin() + static_cast<long>(k))));
        recordEnds.push_back(test::readBytes(dir / "clip.scn").size());
    }
    const auto whole = test::readBytes(dir / "clip.scn");
    const fs::path cutPath = dir / "cut.scn";
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        test::writeBytes(cutPath, std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(length)));
        SceneList list;
        const auto result = scenes::ReadScnFile(cutPath, list, palContext());
        std::size_t complete = 0;
        while (complete < recordEnds.size() && recordEnds[complete] <= length)
            ++complete;
        EXPECT_EQ(list.size(), complete) << "cut at " << length;
        if (length == whole.size()) {
            EXPECT_TRUE(result.ok());
        } else {
            EXPECT_EQ(result.error, scenes::ScnReadError::Truncated) << "cut at " << length;
        }
        for (std::size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(list[i].scene->number, static_cast<int>(i) + 1);
    }
}

TEST(ScnRead, CountOfZeroStillGivesTheFirstScene)
{
    const fs::path dir = test::scratchDir("ScnCountZero");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 250, "A", ""}, {250, 600, "B", ""}}));
    auto bytes = test::readBytes(dir / "clip.scn");
    const std::size_t countAt = 36 + 2 * core::Utf8ToUtf16(video).size();
    ASSERT_EQ(bytes[countAt], 2);
    bytes[countAt] = 0;
    test::writeBytes(dir / "clip.scn", bytes);
    SceneList list;
    EXPECT_TRUE(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).ok());
    EXPECT_EQ(storedOf(list), std::vector<Stored>{Stored(0, 250, "A", "", 0, 1)});
}

TEST(ScnRead, CountBeyondTheRecordsIsAnIncompleteFile)
{
    const fs::path dir = test::scratchDir("ScnCountHigh");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 250, "A", ""}, {250, 600, "B", ""}}));
    auto bytes = test::readBytes(dir / "clip.scn");
    const std::size_t countAt = 36 + 2 * core::Utf8ToUtf16(video).size();
    bytes[countAt] = 0xFF;
    bytes[countAt + 1] = 0xFF;
    test::writeBytes(dir / "clip.scn", bytes);
    SceneList list;
    EXPECT_EQ(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).error, scenes::ScnReadError::Truncated);
    EXPECT_EQ(list.size(), 2u);
}

// A scene that ends beyond the last frame number, starts before frame 0 or ends before it
// starts is refused (exports would print negative times), the scenes before it kept.
TEST(ScnRead, SceneOutsideTheFrameNumbersIsRefused)
{
    const fs::path dir = test::scratchDir("ScnOutOfRange");
    const std::u16string path = u"/v/clip.avi";
    const struct {
        const char *what;
        std::int32_t start;
        std::int32_t length;
    } cases[] = {
        {"beyond the last frame number", 2147483000, 1000},
        {"negative start", -40, 50},
        {"negative length", 100, -1000},
        {"lowest start", std::numeric_limits<std::int32_t>::min(), 1},
    };
    for (const auto &c : cases) {
        Layout file;
        file.header(path, 3).firstRecord(path, 10, 0, 0);
        file.laterRecord(10, 20, 0, 0);
        file.laterRecord(c.start, c.length, 0, 0);
        test::writeBytes(dir / "clip.scn", file.bytes);
        SceneList list;
        EXPECT_EQ(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).error, scenes::ScnReadError::OutOfRange)
            << c.what;
        EXPECT_EQ(list.size(), 2u) << c.what;
    }
    fs::remove_all(dir);
}

TEST(ScnRead, StringsWrittenOnWindowsAsEightBitTextAreWindows1252)
{
    struct Case {
        const char *what;
        std::vector<std::uint8_t> caption; // the caption string as stored
        std::string title;
        std::string subtitle;
    };
    const Case cases[] = {
        {"short length", {9, 'P', 'l', 'a', 'g', 0xE9, '\r', '\n', 0x80, '!'}, "Plagé", "€!"},
        {"long length", {0xFF, 0x04, 0x00, 'c', 0xE0, '\n', 0x9C}, "cà", "œ"},
        {"long length 0", {0xFF, 0x00, 0x00}, "", ""},
        {"utf-16", {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, '\r', 0, 'b', 0}, "a", "b"},
        {"utf-16 of 0 units", {0xFF, 0xFE, 0xFF, 0x00}, "", ""},
        // Forms this layout does not know stand for an empty text and nothing after them.
        {"utf-16 with a longer length", {0xFF, 0xFE, 0xFF, 0xFF}, "", ""},
        {"8-bit text of 1024 bytes or more", {0xFF, 0x00, 0x04}, "", ""},
        {"lines after the second dropped", {5, 'a', '\r', 'b', '\n', 'c'}, "a", "b"},
    };
    const fs::path dir = test::scratchDir("ScnAnsi");
    for (const Case &c : cases) {
        Layout file;
        file.header(u"/v/clip.avi", 2).firstRecord(u"/v/clip.avi", 10, 0x80, 0x00);
        file.bytes.insert(file.bytes.end(), c.caption.begin(), c.caption.end());
        file.laterRecord(10, 5, 0x00, 0x00);
        test::writeBytes(dir / "clip.scn", file.bytes);
        SceneList list;
        EXPECT_TRUE(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).ok()) << c.what;
        ASSERT_EQ(list.size(), 2u) << c.what;
        EXPECT_EQ(list[0].scene->title, c.title) << c.what;
        EXPECT_EQ(list[0].scene->subtitle, c.subtitle) << c.what;
        EXPECT_EQ(list[1].scene->start, 10) << c.what;
    }
}

TEST(ScnRead, EightBitPathInTheHeaderIsSkipped)
{
    const fs::path dir = test::scratchDir("ScnAnsiPath");
    Layout file;
    file.raw({0x63, 0x26, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x0A, 0x00}).ascii("SourceTape");
    file.raw({6}).ascii("C:\\a\xE9v").raw({0, 0, 0, 0, 0, 0, 0x0C, 0, 1, 0});
    file.raw({0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00}).ascii("Clip").raw({0x50, 0, 0, 0});
    file.raw({0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00}).ascii("Scene").raw({0}).int32(0).int32(321);
    file.raw({0, 0, 0, 0, 0x01, 0x80}).raw({0xFF, 0x06, 0x00}).ascii("C:\\a\xE9v").int32(0).int32(0).int32(321);
    test::writeBytes(dir / "clip.scn", file.bytes);
    SceneList list;
    EXPECT_TRUE(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).ok());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].scene->end, 321);
}

TEST(ScnRead, GarbageNeverReadsOutsideTheFile)
{
    const fs::path dir = test::scratchDir("ScnGarbage");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 250, "First", "one", 3}, {250, 600, "Beach", ""}, {600, 700, "", "", 12}}));
    const auto valid = test::readBytes(dir / "clip.scn");
    std::mt19937 random(20240501);
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> bytes;
        if (round % 2 == 0) {
            bytes.resize(random() % 600);
            for (auto &b : bytes)
                b = static_cast<std::uint8_t>(random());
        } else {
            bytes = valid;
            for (int flips = 0; flips < 1 + round % 7; ++flips)
                bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        test::writeBytes(dir / "garbage.scn", bytes);
        SceneList list;
        const auto result = scenes::ReadScnFile(dir / "garbage.scn", list, palContext());
        if (result.ok()) {
            EXPECT_FALSE(list.empty());
        }
        EXPECT_LE(list.size(), 65535u);
    }
}

TEST(ScnRead, WhatIsNoRegularFileCannotBeOpened)
{
    const fs::path dir = test::scratchDir("ScnNotAFile");
    fs::create_directory(dir / "folder.scn");
    ASSERT_EQ(::mkfifo((dir / "pipe.scn").c_str(), 0600), 0);
    for (const char *name : {"folder.scn", "pipe.scn", "missing.scn"}) {
        SceneList list = scenes::UniqueSceneList(10, palContext());
        EXPECT_EQ(scenes::ReadScnFile(dir / name, list, palContext()).error, scenes::ScnReadError::CannotOpen) << name;
        EXPECT_TRUE(list.empty()) << name;
    }
}

TEST(ScnRead, UnreadableFileCannotBeOpened)
{
    const fs::path dir = test::scratchDir("ScnUnreadable");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 250, "", ""}}));
    fs::permissions(dir / "clip.scn", fs::perms::none);
    const int probe = ::open((dir / "clip.scn").c_str(), O_RDONLY);
    if (probe >= 0) {
        ::close(probe);
        GTEST_SKIP() << "permissions do not stop this user (root) from reading";
    }
    SceneList list;
    EXPECT_EQ(scenes::ReadScnFile(dir / "clip.scn", list, palContext()).error, scenes::ScnReadError::CannotOpen);
}

TEST(ScnWrite, TextsLongerThanTheLengthByteAreCutWithoutSplittingASurrogatePair)
{
    struct Case {
        const char *what;
        std::u16string title;
        std::u16string subtitle;
        std::u16string stored; // the caption in the file
    };
    const std::u16string a252(252, u'a');
    const std::u16string a253(253, u'a');
    const Case cases[] = {
        {"exactly full", a252, u"", a252 + u"\r\n"},
        {"pair before the line end", std::u16string(250, u'a') + u"😀", u"", std::u16string(250, u'a') + u"😀\r\n"},
        {"pair across the boundary", a253 + u"😀", u"s", a253},
        {"pair just inside", std::u16string(252, u'a') + u"😀", u"s", a252 + u"😀"},
        {"subtitle cut", u"t", std::u16string(300, u'b'), u"t\r\n" + std::u16string(251, u'b')},
    };
    const fs::path dir = test::scratchDir("ScnCut254");
    const std::string video = makeVideo(dir);
    for (const Case &c : cases) {
        TSceneClass scene(0, 10, palContext());
        scene.title = core::Utf16ToUtf8(c.title);
        scene.subtitle = core::Utf16ToUtf8(c.subtitle);
        {
            TwriteScene writer(video);
            ASSERT_TRUE(writer.WriteScene(scene));
            ASSERT_TRUE(writer.close());
        }
        const std::u16string path = core::Utf8ToUtf16(video);
        Layout expected;
        expected.header(path, 1).firstRecord(path, 10, 0x80, 0x00).unicode(c.stored);
        EXPECT_EQ(test::readBytes(dir / "clip.scn"), expected.bytes) << c.what;
        EXPECT_LE(c.stored.size(), 254u);
    }
}

TEST(ScnWrite, LongPathIsCutToTheLengthByte)
{
    const fs::path dir = test::scratchDir("ScnLongPath");
    const std::string name = std::string(120, 'n') + "é😀" + std::string(100, 'm');
    const std::string video = (dir / (name + ".avi")).string();
    ASSERT_TRUE(writeScenes(video, {{0, 10, "", ""}}));
    const std::u16string full = core::Utf8ToUtf16(video);
    ASSERT_GT(full.size(), 254u);
    const std::u16string cut = core::TruncateUtf16(full, 254);
    Layout expected;
    expected.header(cut, 1).firstRecord(cut, 10, 0, 0);
    EXPECT_EQ(test::readBytes(dir / (name + ".scn")), expected.bytes);
}

TEST(ScnWrite, FileThatCannotBeCreatedIsReportedAndLeavesNothing)
{
    const fs::path dir = test::scratchDir("ScnCannotCreate");
    TwriteScene writer((dir / "missing" / "clip.avi").string());
    EXPECT_FALSE(writer.ok());
    EXPECT_FALSE(writer.errorMessage().empty());
    EXPECT_FALSE(writer.WriteScene(TSceneClass(0, 10, palContext())));
    EXPECT_FALSE(writer.close());
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(ScnWrite, FailedReplacementKeepsWhatWasThere)
{
    const fs::path dir = test::scratchDir("ScnKeepOld");
    fs::create_directory(dir / "clip.scn");
    TwriteScene writer((dir / "clip.avi").string());
    EXPECT_TRUE(writer.WriteScene(TSceneClass(0, 10, palContext())));
    EXPECT_FALSE(writer.close());
    EXPECT_TRUE(fs::is_directory(dir / "clip.scn"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(ScnWrite, DiscardedListKeepsTheOldFile)
{
    const fs::path dir = test::scratchDir("ScnDiscard");
    test::writeBytes(dir / "clip.scn", {'o', 'l', 'd'});
    {
        TwriteScene writer((dir / "clip.avi").string());
        EXPECT_TRUE(writer.WriteScene(TSceneClass(0, 10, palContext())));
        writer.discard();
    }
    EXPECT_EQ(test::readBytes(dir / "clip.scn"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(ScnWrite, MoreScenesThanTheCountHoldsAreRefusedAndTheOldFileKept)
{
    const fs::path dir = test::scratchDir("ScnTooMany");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 3, "old", ""}}));
    const auto before = test::readBytes(dir / "clip.scn");

    TwriteScene writer(video);
    for (std::int32_t i = 0; i < scenes::kScnMaxScenes; ++i)
        ASSERT_TRUE(writer.WriteScene(TSceneClass(i, i + 1, SceneContext{})));
    EXPECT_FALSE(writer.WriteScene(TSceneClass(65535, 65536, SceneContext{})));
    EXPECT_FALSE(writer.ok());
    EXPECT_FALSE(writer.close());
    EXPECT_EQ(test::readBytes(dir / "clip.scn"), before);
}

TEST(SceneList, VideoWithoutScnFileShowsTheUniqueScene)
{
    const fs::path dir = test::scratchDir("SceneListUnique");
    SceneList list;
    const auto result = scenes::LoadSceneList(makeVideo(dir), 1234, palContext(), list);
    EXPECT_TRUE(result.ok());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].label, "1: Unique Scene");
    EXPECT_FALSE(list[0].errorMarker);
    EXPECT_EQ(storedOf(*list[0].scene), Stored(0, 1234, "Unique Scene", "representing a video not yet analyzed", 0, 1));
    EXPECT_EQ(list[0].scene->durationText, "49.09");
}

TEST(SceneList, IncompleteScnFileShowsItsScenesAndTheErrorAndSavesWithoutIt)
{
    const fs::path dir = test::scratchDir("SceneListError");
    const std::string video = makeVideo(dir);
    ASSERT_TRUE(writeScenes(video, {{0, 250, "A", ""}, {250, 600, "B", ""}, {600, 700, "C", ""}}));
    auto bytes = test::readBytes(dir / "clip.scn");
    bytes.resize(bytes.size() - 3);
    test::writeBytes(dir / "clip.scn", bytes);

    SceneList list;
    EXPECT_EQ(scenes::LoadSceneList(video, 700, palContext(), list).error, scenes::ScnReadError::Truncated);
    std::vector<std::string> labels;
    for (const auto &item : list)
        labels.push_back(item.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Scene 1: A", "Scene 2: B", "1: Error in the scn file"}));
    EXPECT_TRUE(list.back().errorMarker);
    EXPECT_EQ(list.back().scene->start, 0);
    EXPECT_EQ(list.back().scene->end, 0);

    ASSERT_TRUE(scenes::SaveSceneList(video, list).ok);
    SceneList again;
    EXPECT_TRUE(scenes::LoadSceneList(video, 700, palContext(), again).ok());
    EXPECT_EQ(storedOf(again), (std::vector<Stored>{Stored(0, 250, "A", "", 0, 1), Stored(250, 600, "B", "", 0, 2)}));
}

TEST(SceneList, FolderInPlaceOfTheScnFileIsAnError)
{
    const fs::path dir = test::scratchDir("SceneListFolder");
    fs::create_directory(dir / "clip.scn");
    SceneList list;
    EXPECT_EQ(scenes::LoadSceneList(makeVideo(dir), 50, palContext(), list).error, scenes::ScnReadError::CannotOpen);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].label, "1: Error in the scn file");
}

TEST(SceneTexts, LabelNamesNumberAndTitle)
{
    TSceneClass scene(0, 10, palContext());
    scene.number = 3;
    scene.title = "Beach";
    EXPECT_EQ(scenes::SceneLabel(scene), "Scene 3: Beach");
    scene.title.clear();
    EXPECT_EQ(scenes::SceneLabel(scene), "Scene 3: ");
}

TEST(SceneTexts, PositionsShowHoursMinutesSecondsAndFrames)
{
    struct Case {
        std::int64_t frame;
        double rate;
        const char *text;
    };
    const Case cases[] = {
        {0, 25.0, "0:00:00:00"},
        {249, 25.0, "0:00:09:24"},
        {250, 25.0, "0:00:10:00"},
        {90000, 25.0, "1:00:00:00"},
        {89999, 25.0, "0:59:59:24"},
        {899, 29.97, "0:00:29:29"},
        {900, 29.97, "0:00:30:00"},
        {107892, 29.97, "1:00:00:00"},
        {107891, 29.97, "0:59:59:28"},
        {2250000, 25.0, "25:00:00:00"},
        {10, 0.0, "??"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(scenes::ScenePositionText(c.frame, c.rate), c.text) << c.frame << " at " << c.rate;
}

TEST(SceneTexts, DurationFollowsTheDurationFormat)
{
    struct Case {
        int format;
        std::int64_t frames;
        double rate;
        const char *text;
    };
    const Case cases[] = {
        {0, 250, 25.0, "10.00"},
        {0, 3, 25.0, "00.03"},
        {0, 1512, 25.0, "01:00.12"},
        {0, 93775, 25.0, "1:02:31.00"},
        {1, 250, 25.0, "10:00"},
        {1, 1512, 25.0, "01:00:12"},
        {1, 93776, 25.0, "1:02:31:01"},
        {2, 0, 25.0, "0fr"},
        {2, 7, 25.0, "7fr"},
        {2, 250, 25.0, "10s 00fr"},
        {2, 1512, 25.0, "1mn 00s 12fr"},
        {2, 93776, 25.0, "1h 02mn 31s 01fr"},
        // 899 frames: 29 seconds and 29.87 frames, rounded to 30.
        {0, 899, 29.97, "29.30"},
        {0, 900, 29.97, "30.01"},
        {7, 250, 25.0, "10.00"},
        {0, 250, 0.0, "??"},
    };
    for (const Case &c : cases) {
        SceneContext context = palContext();
        context.durationFormat = c.format;
        context.frameRate = c.rate;
        EXPECT_EQ(scenes::SceneDurationText(c.frames, context), c.text) << c.format << " " << c.frames;
    }
    EXPECT_EQ(scenes::SceneDurationText(250, SceneContext{}), "");
}

TEST(SceneTexts, ThumbnailKeepsThePictureProportionsInside320By240)
{
    struct Case {
        int width, height, thumbWidth, thumbHeight;
    };
    const Case cases[] = {
        {720, 576, 300, 240}, {720, 480, 320, 213}, {1024, 576, 320, 180}, {320, 240, 320, 240},
        {100, 1000, 24, 240}, {0, 576, 0, 0},       {720, 0, 0, 0},
    };
    for (const Case &c : cases) {
        const auto size = scenes::ThumbnailSizeFor(c.width, c.height);
        EXPECT_EQ(std::make_pair(size.width, size.height), std::make_pair(c.thumbWidth, c.thumbHeight))
            << c.width << "x" << c.height;
    }
    SceneContext context = palContext();
    TSceneClass scene(0, 10, context);
    EXPECT_EQ(std::make_pair(scene.thumbnail.width, scene.thumbnail.height), std::make_pair(300, 240));
    EXPECT_FALSE(scene.filled);
    EXPECT_EQ(scene.pictureOffset, 0);
    TSceneClass withoutVideo(0, 10, SceneContext{});
    EXPECT_TRUE(withoutVideo.thumbnail.empty());
}

namespace {

// Frames of a made-up video: frame f has a datecode f seconds after 2024-05-01 10:00:00 when
// f is even, a timecode when f < 100, and a grey picture of brightness f.
class ScriptedSource : public scenes::FrameSource {
public:
    explicit ScriptedSource(std::int64_t frames) : m_frames(frames) {}

    bool frameAt(std::int64_t index, scenes::FrameInfo &out, bool withPicture) override
    {
        out = scenes::FrameInfo{};
        asked.emplace_back(index, withPicture);
        if (index < 0 || index >= m_frames)
            return false;
        if (index % 2 == 0) {
            out.datecodeValid = true;
            out.datecode = *core::DateTime::fromFields({2024, 5, 1, 10, 0, 0, 0})
                           + core::DateTime::fromSeconds(static_cast<double>(index));
        }
        if (index < 100) {
            out.timecodeValid = true;
            out.timecode = {1, 2, 3, static_cast<std::uint8_t>(index % 25)};
        }
        if (withPicture) {
            out.picture.reset(64, 48);
            for (auto &b : out.picture.pixels)
                b = static_cast<std::uint8_t>(index);
        }
        return true;
    }

    std::vector<std::pair<std::int64_t, bool>> asked;

private:
    std::int64_t m_frames;
};

} // namespace

TEST(SceneDetails, FillTakesTextsFromTheFirstFrameAndThePictureFromTheOffset)
{
    const core::DateTimeLocale locale = core::DateTimeLocale::fallback();
    struct Case {
        std::int32_t start, end, offset;
        const char *datecode, *timecode, *startText, *endText;
        int brightness;
        std::vector<std::pair<std::int64_t, bool>> asked;
        bool complete;
    };
    const Case cases[] = {
        {0, 250, 0, "01/05/2024 10:00:00", "01.02.03.00", "0:00:00:00", "0:00:09:24", 0, {{0, true}}, true},
        {40,
         60,
         5,
         "01/05/2024 10:00:40",
         "01.02.03.15",
         "0:00:01:15",
         "0:00:02:09",
         45,
         {{40, false}, {45, true}},
         true},
        {101, 120, 0, "N/A", "N/A", "0:00:04:01", "0:00:04:19", 101, {{101, true}}, true},
        {150,
         160,
         20,
         "01/05/2024 10:02:30",
         "N/A",
         "0:00:06:00",
         "0:00:06:09",
         -1,
         {{150, false}, {170, true}},
         false},
        {300, 310, 0, "N/A", "N/A", "0:00:12:00", "0:00:12:09", -1, {{300, true}}, false},
    };
    for (const Case &c : cases) {
        ScriptedSource source(160);
        SceneContext context = palContext();
        context.datecodeFormat = "ddddd tt";
        context.locale = &locale;
        TSceneClass scene(c.start, c.end, context);
        scene.pictureOffset = c.offset;
        EXPECT_EQ(scenes::FillSceneDetails(scene, source, context), c.complete) << c.start;
        EXPECT_TRUE(scene.filled);
        EXPECT_EQ(scene.datecodeText, c.datecode) << c.start;
        EXPECT_EQ(scene.timecodeText, c.timecode) << c.start;
        EXPECT_EQ(scene.startText, c.startText) << c.start;
        EXPECT_EQ(scene.endText, c.endText) << c.start;
        EXPECT_EQ(source.asked, c.asked) << c.start;
        ASSERT_EQ(std::make_pair(scene.thumbnail.width, scene.thumbnail.height), std::make_pair(300, 240));
        const int expected = c.brightness < 0 ? 0 : c.brightness;
        EXPECT_EQ(scene.thumbnail.pixels.front(), expected) << c.start;
        EXPECT_EQ(scene.thumbnail.pixels.back(), expected) << c.start;
    }
}

TEST(SceneDetails, ThumbnailAveragesThePixelsItCovers)
{
    // A picture of 640 x 480 with alternating black and white columns gives a mid grey
    // thumbnail at half size; a point sample would give black or white.
    class Stripes : public scenes::FrameSource {
    public:
        bool frameAt(std::int64_t, scenes::FrameInfo &out, bool) override
        {
            out = scenes::FrameInfo{};
            out.picture.reset(640, 480);
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x)
                    for (int c = 0; c < 3; ++c)
                        out.picture.row(y)[3 * x + c] = x % 2 == 0 ? 0 : 255;
            return true;
        }
    } source;
    TSceneClass scene(0, 1, SceneContext{});
    ASSERT_TRUE(scene.thumbnail.empty());
    EXPECT_TRUE(scenes::FillSceneDetails(scene, source, SceneContext{}));
    ASSERT_EQ(std::make_pair(scene.thumbnail.width, scene.thumbnail.height), std::make_pair(320, 240));
    for (std::uint8_t b : scene.thumbnail.pixels)
        ASSERT_EQ(b, 128);
}
