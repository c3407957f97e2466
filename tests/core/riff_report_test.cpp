// The RIFF header report on files written by dvgrab and ffmpeg and on hand-made damaged files.
#include "core/riff_report.h"

#include "support/riff_builder.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace camlog::core {
namespace {

namespace t = camlog::test;

RiffReportOptions testOptions()
{
    RiffReportOptions options;
    options.now = *DateTime::fromFields({2024, 5, 1, 9, 5, 7, 0});
    options.programTitle = "Camlog 0.1.0En";
    options.webSite = "https://camlog.example.org";
    options.locale = DateTimeLocale::fallback();
    return options;
}

// The walk part of a report: the chunk, list-type, bad-length and garbage lines with their
// indentation, without record fields, banners and blank lines.
std::vector<std::string> skeleton(const std::vector<std::string> &lines)
{
    std::vector<std::string> out;
    const auto start = std::find(lines.begin(), lines.end(), Banner("", '-', " Start of Avi RIFF "));
    if (start == lines.end())
        return out;
    for (auto it = start + 1; it != lines.end(); ++it) {
        if (*it == Banner("", '-', " End of Header ") || *it == Banner("", '-', "Canceled by user")
            || *it == Banner("", ' ', "Unexpected end"))
            break;
        const auto first = it->find_first_not_of(' ');
        if (first == std::string::npos || (*it)[first] == '-' || it->find(" = ") != std::string::npos)
            continue;
        out.push_back(*it);
    }
    return out;
}

// The values printed after `label` (e.g. "Rate = "), in order, whatever the indentation.
std::vector<std::string> values(const std::vector<std::string> &lines, const std::string &label)
{
    std::vector<std::string> out;
    for (const auto &line : lines) {
        const auto first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.compare(first, label.size(), label) == 0)
            out.push_back(line.substr(first + label.size()));
    }
    return out;
}

bool contains(const std::vector<std::string> &lines, const std::string &line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::filesystem::path writeCase(const std::string &name, const t::Bytes &bytes)
{
    const auto path = t::scratchDir("RiffReport_" + name) / (name + ".avi");
    t::writeBytes(path, bytes);
    return path;
}

// ---------------------------------------------------------------------------------------

TEST(RiffReportBanner, CentresTheTitleIn50Characters)
{
    struct Case {
        std::string prefix;
        char fill;
        std::string title;
        std::string expected;
    };
    const Case cases[] = {
        {"", '-', " End of Header ", std::string(17, '-') + " End of Header " + std::string(17, '-')},
        {"", ' ', "Unexpected end", std::string(18, ' ') + "Unexpected end" + std::string(18, ' ')},
        // The indent counts towards the 50 characters.
        {"        ", '-', "(Video)", "        " + std::string(17, '-') + "(Video)" + std::string(17, '-')},
        // Odd remainders are dropped: (50 - 0 - 49) / 2 = 0.
        {"", '*', std::string(49, 'x'), std::string(49, 'x')},
        // Too long for the width: no fill at all.
        {"    ", '-', std::string(60, 'y'), "    " + std::string(60, 'y')},
        // Characters, not bytes: 46 characters in 47 bytes.
        {"", ' ', "/vid\xC3\xA9os/" + std::string(38, 'a'), "  /vid\xC3\xA9os/" + std::string(38, 'a') + "  "},
        {"", '-', "", std::string(50, '-')},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Banner(c.prefix, c.fill, c.title), c.expected) << c.title;
}

TEST(RiffReport, HeaderAndTrailerFrameTheWalk)
{
    const auto path = writeCase("frame", t::riff("AVI ", {t::chunk("idx1", t::zeros(16))}));
    const auto report = BuildReport(path, testOptions());
    ASSERT_EQ(report.end, RiffReportEnd::Complete);
    EXPECT_TRUE(report.canSave());

    const std::vector<std::string> head = {
        std::string(50, '-'),
        "",
        std::string(9, '*') + "  Header of the file frame.avi  " + std::string(9, '*'),
        "",
        std::string(9, ' ') + "analysed on 2024/05/1 at 9:05:07" + std::string(9, ' '),
        std::string(18, ' ') + "Camlog 0.1.0En" + std::string(18, ' '),
        "",
        std::string(16, ' ') + "Visit my website:" + std::string(16, ' '),
        std::string(12, ' ') + "https://camlog.example.org" + std::string(12, ' '),
        "",
        std::string(15, '-') + " Start of Avi RIFF " + std::string(15, '-'),
        "RIFF  0000001C",
        "AVI ",
        "    idx1  00000010",
        "",
    };
    ASSERT_GE(report.lines.size(), head.size() + 4);
    EXPECT_EQ(std::vector<std::string>(report.lines.begin(), report.lines.begin() + head.size()), head);
    const std::vector<std::string> tail = {
        std::string(17, '-') + " End of Header " + std::string(17, '-'),
        Banner("", ' ', path.string()),
        "",
        std::string(50, '-'),
    };
    EXPECT_EQ(std::vector<std::string>(report.lines.end() - 4, report.lines.end()), tail);
    EXPECT_EQ(report.lines.size(), head.size() + tail.size());
}

TEST(RiffReport, DateAndTimeSeparatorsComeFromTheLocale)
{
    auto options = testOptions();
    options.locale->dateSeparator = "-";
    options.locale->timeSeparator = ".";
    const auto report = BuildReport(writeCase("locale", t::riff("AVI ", {})), options);
    EXPECT_TRUE(contains(report.lines, Banner("", ' ', "analysed on 2024-05-1 at 9.05.07")));
}

// ---------------------------------------------------------------------------------------
// Generated files. The expected values are those ffprobe and mediainfo give for the same
// files: frame size, frame rate (25/1), frame count, the handler (codec tag) and the PCM
// format of a separate audio stream.
struct FixtureCase {
    const char *file;
    std::vector<std::string> types;    // FourccType of each stream header
    std::vector<std::string> handlers; // FourccHandler of each stream header
    std::string width;
    std::string height;
    std::string totalFrames;
    std::vector<std::string> compression; // biCompression of the video format, if any
    std::string samplesPerSec;            // of a WAVEFORMATEX, empty when audio is inside DV
    std::string channels;
    std::size_t dvInfoDumps;
};

TEST(RiffReport, GeneratedFilesShowTheirHeaderRecords)
{
    const FixtureCase cases[] = {
        {"tape_three-type1.avi", {"iavs"}, {"dvsd"}, "720", "576", "125", {}, "", "", 1},
        {"tape_three-opendml.avi", {"iavs"}, {"dvsd"}, "720", "576", "125", {}, "", "", 1},
        {"tape_three-type2.avi", {"vids", "auds"}, {"dvsd", "...."}, "720", "576", "125", {"dvsd"}, "48000", "2", 0},
        {"nondv_mpeg4.avi", {"vids", "auds"}, {"FMP4", "...."}, "320", "240", "50", {"FMP4"}, "44100", "1", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const auto path = t::fixturePath(c.file);
        const auto report = BuildReport(path, testOptions());
        ASSERT_EQ(report.end, RiffReportEnd::Complete);
        const auto &lines = report.lines;

        EXPECT_EQ(values(lines, "FourccType = "), c.types);
        EXPECT_EQ(values(lines, "FourccHandler = "), c.handlers);
        EXPECT_EQ(values(lines, "Streams = "), std::vector<std::string>{std::to_string(c.types.size())});
        EXPECT_EQ(values(lines, "Width = "), std::vector<std::string>{c.width});
        EXPECT_EQ(values(lines, "Height = "), std::vector<std::string>{c.height});
        EXPECT_EQ(values(lines, "TotalFrames = "), std::vector<std::string>{c.totalFrames});
        EXPECT_EQ(values(lines, "MicroSecPerFrame = "), std::vector<std::string>{"40000"});
        // The first stream is the video: 25 frames per second.
        ASSERT_FALSE(values(lines, "Rate = ").empty());
        EXPECT_EQ(values(lines, "Rate = ")[0], "25");
        EXPECT_EQ(values(lines, "Scale = ")[0], "1");
        EXPECT_EQ(values(lines, "biCompression = "), c.compression);
        if (!c.compression.empty()) {
            EXPECT_EQ(values(lines, "biWidth = "), std::vector<std::string>{c.width});
            EXPECT_EQ(values(lines, "biHeight = "), std::vector<std::string>{c.height});
        }
        if (c.samplesPerSec.empty()) {
            EXPECT_TRUE(values(lines, "FormatTag = ").empty());
        } else {
            EXPECT_EQ(values(lines, "FormatTag = "), std::vector<std::string>{"1"}); // PCM
            EXPECT_EQ(AudioFormatName(1), "PCM");
            EXPECT_EQ(values(lines, "SamplesPerSec = "), std::vector<std::string>{c.samplesPerSec});
            EXPECT_EQ(values(lines, "Channels = "), std::vector<std::string>{c.channels});
            EXPECT_EQ(values(lines, "BitsPerSample = "), std::vector<std::string>{"16"});
            // The audio stream header counts samples: Rate / Scale is the sample rate.
            const auto rate = std::stoul(values(lines, "Rate = ").at(1));
            const auto scale = std::stoul(values(lines, "Scale = ").at(1));
            ASSERT_NE(scale, 0u);
            EXPECT_EQ(std::to_string(rate / scale), c.samplesPerSec);
        }
        EXPECT_EQ(values(lines, "DVAAuxSrc = ").size(), c.dvInfoDumps);

        // One RIFF chunk covering the whole file, and nothing reported as damaged.
        const auto walk = skeleton(lines);
        ASSERT_FALSE(walk.empty());
        std::ostringstream riffLine;
        riffLine << "RIFF  " << std::uppercase << std::hex;
        riffLine.width(8);
        riffLine.fill('0');
        riffLine << std::filesystem::file_size(path) - 8;
        EXPECT_EQ(walk[0], riffLine.str());
        EXPECT_EQ(std::count(walk.begin(), walk.end(), "RIFF" + walk[0].substr(4)), 1);
        for (const auto &line : walk)
            EXPECT_EQ(line.find(">>>"), std::string::npos) << line;
        EXPECT_EQ(report.lines[report.lines.size() - 3], Banner("", ' ', path.string()));
    }
}

// The chunk tree of a type 2 DV file: two strl lists, each with its header, format and
// index; the odml list; the movi list without its frames; idx1 as one line.
TEST(RiffReport, Type2FileListsItsChunkTree)
{
    const auto report = BuildReport(t::fixturePath("tape_three-type2.avi"), testOptions());
    std::vector<std::string> ids;
    for (const auto &line : skeleton(report.lines))
        ids.push_back(line.substr(0, line.find_first_not_of(' ') + 4));
    const std::vector<std::string> expected = {
        "RIFF",
        "AVI ",
        "    LIST",
        "    hdrl",
        "        avih",
        "        LIST",
        "        strl",
        "            strh",
        "            strf",
        "            indx",
        "        LIST",
        "        strl",
        "            strh",
        "            strf",
        "            JUNK",
        "            indx",
        "        LIST",
        "        odml",
        "            dmlh",
        "    JUNK",
        "    LIST",
        "    movi",
        "    idx1",
    };
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(values(report.lines, "dwChunkId = "), (std::vector<std::string>{"00dc", "01wb"}));
    EXPECT_EQ(values(report.lines, "wLongsPerEntry = "), (std::vector<std::string>{"0004", "0004"}));
    EXPECT_EQ(values(report.lines, "qwBaseOffset = "),
              (std::vector<std::string>{"0000000000000000", "0000000000000000"}));
}

// ---------------------------------------------------------------------------------------
// Hand-made files: the report lists what it can read and ends cleanly.

t::Bytes cut(t::Bytes bytes, std::size_t dropped)
{
    bytes.resize(bytes.size() - dropped);
    return bytes;
}

t::Bytes twoFrameAvi()
{
    return t::riff("AVI ", {t::list("hdrl", {t::avihChunk()}),
                            t::list("movi", {t::chunk("00dc", t::zeros(24)), t::chunk("00dc", t::zeros(24))})});
}

struct DamageCase {
    const char *name;
    t::Bytes bytes;
    RiffReportEnd end;
    std::vector<std::string> walk;
};

TEST(RiffReport, DamagedFilesEndCleanlyWithWhatCouldBeRead)
{
    const DamageCase cases[] = {
        {"empty", {}, RiffReportEnd::Complete, {}},
        {"odd_size_padded",
         t::riff("AVI ", {t::chunk("JUNK", t::zeros(3)), t::chunk("idx1", t::zeros(16))}),
         RiffReportEnd::Complete,
         {"RIFF  00000028", "AVI ", "    JUNK  00000003", "    idx1  00000010"}},
        // The pad byte counts: an odd last chunk without it is one byte short.
        {"odd_size_unpadded_at_end",
         t::cat({t::chunkHeader("RIFF", 15), t::text("AVI "), t::chunkUnpadded("JUNK", t::zeros(3))}),
         RiffReportEnd::Complete,
         {"RIFF  0000000F", ">>> Bad chunk length:", ">>> 00000010 instead of 0000000F", "AVI ", "    JUNK  00000003",
          "    >>> Bad chunk length:", "    >>> 00000004 instead of 00000003"}},
        {"zero_size_chunk",
         t::riff("AVI ", {t::chunk("JUNK", {}), t::chunk("idx1", t::zeros(16))}),
         RiffReportEnd::Complete,
         {"RIFF  00000024", "AVI ", "    JUNK  00000000", "    idx1  00000010"}},
        // Cut inside movi: RIFF and movi are clipped to the file, the walk goes on.
        {"truncated_in_movi",
         cut(twoFrameAvi(), 20),
         RiffReportEnd::Complete,
         {"RIFF  0000009C", ">>> Bad chunk length:", ">>> 0000009C instead of 00000088", "AVI ", "    LIST  00000044",
          "    hdrl", "        avih  00000038", "    LIST  00000044",
          "    >>> Bad chunk length:", "    >>> 00000044 instead of 00000030", "    movi"}},
        // A list longer than its RIFF is clipped to the RIFF, so the next RIFF is still found
        // at the top level.
        {"list_overruns_its_riff",
         t::cat({t::riff("AVI ", {t::listDeclaring("LIST", "hdrl", 200, t::avihChunk())}),
                 t::riff("AVIX", {t::chunk("JUNK", t::zeros(4))})}),
         RiffReportEnd::Complete,
         {"RIFF  00000050", "AVI ", "    LIST  000000C8",
          "    >>> Bad chunk length:", "    >>> 000000C8 instead of 00000044", "    hdrl", "        avih  00000038",
          "RIFF  00000010", "AVIX", "    JUNK  00000004"}},
        // A size near 4 GB on a tiny file: the padded size needs a ninth digit.
        {"huge_riff_size",
         t::cat({t::chunkHeader("RIFF", 0xFFFFFFFF), t::text("AVI "), t::chunk("JUNK", t::zeros(4))}),
         RiffReportEnd::Complete,
         {"RIFF  FFFFFFFF", ">>> Bad chunk length:", ">>> 100000000 instead of 00000010", "AVI ",
          "    JUNK  00000004"}},
        // A LIST too small to hold its type is passed like any chunk.
        {"list_smaller_than_its_type",
         t::riff("AVI ", {t::chunk("LIST", t::zeros(2)), t::chunk("JUNK", t::zeros(4))}),
         RiffReportEnd::Complete,
         {"RIFF  0000001A", "AVI ", "    LIST  00000002", "    JUNK  00000004"}},
        // A stream header shorter than its record: the strf after it is still found.
        {"short_strh",
         t::riff("AVI ", {t::list("strl", {t::chunk("strh", t::text("vidsdvsd")), t::chunk("strf", t::zeros(40))})}),
         RiffReportEnd::Complete,
         {"RIFF  00000050", "AVI ", "    LIST  00000044", "    strl", "        strh  00000008",
          "        strf  00000028"}},
        {"frame_chunks_are_not_listed",
         t::riff("AVI ", {t::chunk("00dc", t::zeros(4)), t::chunk("01wb", t::zeros(4)), t::chunk("00db", t::zeros(4)),
                          t::chunk("02wb", t::zeros(4))}),
         RiffReportEnd::Complete,
         {"RIFF  00000034", "AVI ", "    02wb  00000004"}},
        {"wave_file",
         t::riff("WAVE", {t::chunk("fmt ", t::zeros(16)), t::chunk("data", t::zeros(8))}),
         RiffReportEnd::Complete,
         {"RIFF  0000002C", "WAVE", "    fmt   00000010", "    data  00000008"}},
        {"zeros_after_the_riff",
         t::cat({t::riff("AVI ", {t::chunk("idx1", t::zeros(16))}), t::zeros(100)}),
         RiffReportEnd::Complete,
         {"RIFF  0000001C", "AVI ", "    idx1  00000010",
          ">>> There are 00000064 bytes of garbage at the end of the file"}},
        {"garbage_only",
         t::text("This is not a RIFF file at all"),
         RiffReportEnd::Complete,
         {">>> There are 0000001E bytes of garbage at the end of the file"}},
        // Fewer than 8 bytes after the RIFF: no chunk header can be read there.
        {"stub_after_the_riff",
         t::cat({t::riff("AVI ", {t::chunk("idx1", t::zeros(16))}), t::text("abc")}),
         RiffReportEnd::UnexpectedEnd,
         {"RIFF  0000001C", "AVI ", "    idx1  00000010"}},
        {"header_cut_short", t::text("RIFF\x10"), RiffReportEnd::UnexpectedEnd, {}},
        // Control bytes in an identifier stay printable.
        {"binary_identifier",
         t::riff("AVI ", {t::chunk(std::string_view("\x01\x02\xFFz", 4), t::zeros(2))}),
         RiffReportEnd::Complete,
         {"RIFF  0000000E", "AVI ", "    ...z  00000002"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto report = BuildReport(writeCase(c.name, c.bytes), testOptions());
        EXPECT_EQ(report.end, c.end);
        EXPECT_TRUE(report.canSave());
        EXPECT_EQ(skeleton(report.lines), c.walk);
        EXPECT_EQ(contains(report.lines, Banner("", ' ', "Unexpected end")), c.end == RiffReportEnd::UnexpectedEnd);
        ASSERT_FALSE(report.lines.empty());
        EXPECT_EQ(report.lines.back(), std::string(50, '-'));
    }
}

TEST(RiffReport, RecordsShorterThanTheirLayoutReadAsZeros)
{
    const auto report = BuildReport(
        writeCase("short_records", t::riff("AVI ", {t::list("strl", {t::chunk("strh", t::text("vidsdvsd\x01")),
                                                                     t::chunk("strf", t::zeros(4))}),
                                                    t::chunk("ix00", t::text("\x02"))})),
        testOptions());
    ASSERT_EQ(report.end, RiffReportEnd::Complete);
    EXPECT_EQ(values(report.lines, "FourccType = "), std::vector<std::string>{"vids"});
    EXPECT_EQ(values(report.lines, "Flags = "), std::vector<std::string>{"00000001"});
    EXPECT_EQ(values(report.lines, "Rate = "), std::vector<std::string>{"0"});
    EXPECT_EQ(values(report.lines, "biSize = "), std::vector<std::string>{"0"});
    // Too short for a DVINFO: none is printed after the bitmap header.
    EXPECT_TRUE(values(report.lines, "DVAAuxSrc = ").empty());
    EXPECT_EQ(values(report.lines, "wLongsPerEntry = "), std::vector<std::string>{"0002"});
    EXPECT_EQ(values(report.lines, "dwChunkId = "), std::vector<std::string>{"...."});
}

TEST(RiffReport, DvInfoFollowsTheBitmapHeaderOfDvCodesOnly)
{
    struct Case {
        const char *compression;
        std::size_t formatSize;
        bool dvInfo;
    };
    const Case cases[] = {
        {"dvsd", 72, true}, {"DVSD", 72, true},  {"dsvd", 72, true},  {"CDVC", 72, false},
        {"csvd", 72, true}, {"dvsd", 71, false}, {"FMP4", 72, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.compression) + " " + std::to_string(c.formatSize));
        t::Bytes format;
        t::appendLe32(format, 40);
        format = t::cat({format, t::zeros(12)});
        t::appendFourCC(format, c.compression);
        format = t::cat({format, t::zeros(20)});
        for (std::uint32_t i = 0; format.size() < c.formatSize; ++i)
            format.push_back(static_cast<std::uint8_t>(0xA0 + i));
        const auto report = BuildReport(
            writeCase("dvinfo", t::riff("AVI ", {t::list("strl", {t::chunk("strh", t::streamHeaderData("vids", "dvsd")),
                                                                  t::chunk("strf", format)})})),
            testOptions());
        EXPECT_EQ(values(report.lines, "biCompression = "), std::vector<std::string>{c.compression});
        EXPECT_EQ(values(report.lines, "DVAAuxSrc = "),
                  c.dvInfo ? std::vector<std::string>{"A3A2A1A0"} : std::vector<std::string>{});
    }
}

TEST(RiffReport, NothingThatCanBeReadGivesNoLines)
{
    const auto dir = t::scratchDir("RiffReport_nothing");
    for (const auto &path : {dir / "missing.avi", dir}) {
        SCOPED_TRACE(path.string());
        const auto report = BuildReport(path, testOptions());
        EXPECT_EQ(report.end, RiffReportEnd::NoFile);
        EXPECT_TRUE(report.lines.empty());
        EXPECT_FALSE(report.canSave());
    }
}

TEST(RiffReport, CancelStopsAtTheNextChunk)
{
    auto options = testOptions();
    int asked = 0;
    options.cancelRequested = [&asked] {
        return ++asked == 3;
    };
    const auto report = BuildReport(t::fixturePath("tape_three-type2.avi"), options);
    EXPECT_EQ(report.end, RiffReportEnd::Cancelled);
    EXPECT_FALSE(report.canSave());
    EXPECT_EQ(asked, 3);
    // RIFF and hdrl were walked; avih was not begun.
    EXPECT_EQ(skeleton(report.lines),
              (std::vector<std::string>{"RIFF  01236200", "AVI ", "    LIST  0000FE3C", "    hdrl"}));
    ASSERT_GE(report.lines.size(), 2u);
    EXPECT_EQ(report.lines[report.lines.size() - 2], Banner("", '-', "Canceled by user"));
    EXPECT_EQ(report.lines.back(), "");
    EXPECT_FALSE(contains(report.lines, Banner("", '-', " End of Header ")));
}

// 20 000 nested lists in 240 KB once overflowed the stack; 10 000 wrote 400 MB of report.
TEST(RiffReport, DeeplyNestedListsStopAtTheDepthLimit)
{
    constexpr int kLevels = 20000;
    t::Bytes file;
    file.reserve(kLevels * 12 + 12);
    for (int level = 0; level < kLevels; ++level) {
        t::appendFourCC(file, level == 0 ? "RIFF" : "LIST");
        t::appendLe32(file, static_cast<std::uint32_t>((kLevels - level) * 12 - 8 + 8));
        t::appendFourCC(file, level == 0 ? "AVI " : "deep");
    }
    t::appendFourCC(file, "leaf");
    t::appendLe32(file, 0);
    const auto report = BuildReport(writeCase("deep_lists", file), testOptions());
    EXPECT_EQ(report.end, RiffReportEnd::Complete);
    const auto walked = skeleton(report.lines);
    ASSERT_FALSE(walked.empty());
    EXPECT_EQ(walked.back(), std::string(8 * 4, ' ') + ">>> Lists nested too deep: not walked");
    EXPECT_LT(walked.size(), 30u);
}

TEST(RiffReport, AFileOfCountlessChunksGivesABoundedReport)
{
    // 200 000 empty chunks in one RIFF: a line each would make a report of 3 MB.
    constexpr std::uint32_t kChunks = 200000;
    t::Bytes file;
    t::appendFourCC(file, "RIFF");
    t::appendLe32(file, 4 + kChunks * 8);
    t::appendFourCC(file, "AVI ");
    for (std::uint32_t i = 0; i < kChunks; ++i) {
        t::appendFourCC(file, "JUNK");
        t::appendLe32(file, 0);
    }
    const auto report = BuildReport(writeCase("countless_chunks", file), testOptions());
    EXPECT_TRUE(report.canSave());
    EXPECT_LE(report.lines.size(), 100100u);
    EXPECT_TRUE(contains(report.lines, ">>> The report stops here: it has reached 100000 lines"));
    EXPECT_EQ(report.lines[report.lines.size() - 4], Banner("", '-', " End of Header "));
}

// ---------------------------------------------------------------------------------------

TEST(RiffReportSave, LogPathChangesTheExtension)
{
    EXPECT_EQ(ReportLogPath("/videos/tape 1.avi"), std::filesystem::path("/videos/tape 1.log"));
    EXPECT_EQ(ReportLogPath("/videos/tape"), std::filesystem::path("/videos/tape.log"));
    EXPECT_EQ(ReportLogPath("/videos/a.b.AVI"), std::filesystem::path("/videos/a.b.log"));
}

TEST(RiffReportSave, WritesTheLinesAndReplacesAnOldFile)
{
    const auto dir = t::scratchDir("RiffReportSave_writes");
    const auto target = dir / "report.log";
    t::writeBytes(target, t::text("an older and longer report that must disappear"));
    const std::vector<std::string> lines = {"RIFF  0000001C", "", "    vid\xC3\xA9o"};
    const auto saved = SaveReport(target, lines);
    ASSERT_TRUE(saved.ok()) << saved.error().message;
    EXPECT_EQ(t::readBytes(target), t::text("RIFF  0000001C\n\n    vid\xC3\xA9o\n"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

TEST(RiffReportSave, UnwritablePlaceLeavesNothing)
{
    const auto dir = t::scratchDir("RiffReportSave_unwritable");
    const auto saved = SaveReport(dir / "no_such_folder" / "report.log", {"line"});
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().code, RiffReportSaveError::Unwritable);
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

} // namespace
} // namespace camlog::core
