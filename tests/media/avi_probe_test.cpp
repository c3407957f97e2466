// The real prober behind the file object, on generated and real DV files, checked against ffprobe and exiftool.
#include "media/decoding/avi_probe.h"

#include "core/avi_patch.h"
#include "core/dv_frame.h"
#include "core/riff_chunks.h"
#include "support/riff_builder.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

using camlog::core::AviFileContext;
using camlog::core::DateTimeLocale;
using camlog::core::TaviFichier;
using camlog::media::AviProber;
namespace core = camlog::core;
namespace test = camlog::test;
namespace fs = std::filesystem;

const std::string kNotLearned = "\xC3\xBE";
const std::string kUnreadable = "\xC3\xBF";

const AviProber &prober()
{
    static const AviProber instance;
    return instance;
}

AviFileContext context()
{
    static const DateTimeLocale locale = DateTimeLocale::fallback();
    AviFileContext c;
    c.prober = &prober();
    c.datecodePattern = "yyyy:mm:dd hh:nn:ss"; // exiftool's notation
    c.locale = &locale;
    return c;
}

std::string run(const std::string &command)
{
    auto out = camlog::test::runCommand(command).output;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

std::string ffprobe(const fs::path &path, const std::string &args)
{
    return run("ffprobe -v error " + args + " -of csv=p=0 '" + path.string() + "'");
}

// What ffprobe reads of a file, in the file object's terms.
struct PeerView {
    std::string size;    // "720 x 576"
    std::string frames;  // video packets
    std::string audio;   // "48000,2" or ""
    double duration = 0; // seconds
};

PeerView peerView(const fs::path &path)
{
    PeerView v;
    const auto wh = ffprobe(path, "-select_streams v:0 -show_entries stream=width,height");
    v.size = wh.substr(0, wh.find(',')) + " x " + wh.substr(wh.find(',') + 1);
    v.frames = ffprobe(path, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets");
    v.audio = ffprobe(path, "-select_streams a:0 -show_entries stream=sample_rate,channels");
    v.duration = std::stod(ffprobe(path, "-show_entries format=duration"));
    return v;
}

std::string exiftoolDate(const fs::path &path)
{
    return run("exiftool -s3 -DateTimeOriginal '" + path.string() + "'");
}

struct FixtureCase {
    const char *name;
    std::uint32_t fileType;
    int system;
    std::string aspect, datecode, audioText;
    double frameRate;
};

TEST(AviProber, GeneratedDvFilesAgreeWithFfprobe)
{
    const std::string pal48 = "48000Hz 16 bits  stereo";
    const std::string pal32 = "32000Hz 12(16) bits  stereo";
    const FixtureCase cases[] = {
        {"tape_three.dv", 1, 0, " 4x3)", "2024:05:01 10:00:00", pal48, 25.0},
        {"tape_three-type1.avi", 1, 0, " 4x3)", "2024:05:01 10:00:00", pal48, 25.0},
        {"tape_three-type2.avi", 2, 0, " 4x3)", "2024:05:01 10:00:00", pal48, 25.0},
        {"tape_three-opendml.avi", 1, 0, " 4x3)", "2024:05:01 10:00:00", pal48, 25.0},
        {"ntsc_4x3_48k.dv", 1, 1, " 4x3)", "2000:12:31 23:59:58", pal48, 30000.0 / 1001.0},
        {"ntsc_4x3_48k-type1.avi", 1, 1, " 4x3)", "2000:12:31 23:59:58", pal48, 30000.0 / 1001.0},
        {"ntsc_4x3_48k-type2.avi", 2, 1, " 4x3)", "2000:12:31 23:59:58", pal48, 29.97},
        {"ntsc_4x3_48k-opendml.avi", 1, 1, " 4x3)", "2000:12:31 23:59:58", pal48, 30000.0 / 1001.0},
        {"pal_16x9_32k.dv", 1, 0, " 16x9)", "2010:02:16 21:36:28", pal32, 25.0},
        {"pal_16x9_32k-type1.avi", 1, 0, " 16x9)", "2010:02:16 21:36:28", pal32, 25.0},
        {"pal_16x9_32k-type2.avi", 2, 0, " 16x9)", "2010:02:16 21:36:28", pal32, 25.0},
        {"pal_16x9_32k-opendml.avi", 1, 0, " 16x9)", "2010:02:16 21:36:28", pal32, 25.0},
        {"ntsc_nodate.dv", 1, 1, " 4x3)", "N/A", "N/A", 30000.0 / 1001.0},
        {"ntsc_nodate-ffmpeg.avi", 2, 1, " 4x3)", "N/A", "N/A", 29.97},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = test::fixturePath(c.name);
        const TaviFichier f(path.string(), context());
        const PeerView peer = peerView(path);
        EXPECT_TRUE(f.IsDV);
        EXPECT_EQ(f.FileType, c.fileType);
        EXPECT_FALSE(f.Type2Iavs);
        EXPECT_EQ(f.System, c.system);
        EXPECT_EQ(f.SizeText, peer.size + (c.system == 0 ? " (Pal" : " (NTSC"));
        EXPECT_EQ(f.AspectText, c.aspect);
        EXPECT_EQ(f.FrameRate, c.frameRate);
        EXPECT_EQ(std::to_string(f.FrameCount), peer.frames);
        EXPECT_NEAR(static_cast<double>(f.Duration) / 1e7, peer.duration, 1.0 / 29.97);
        EXPECT_EQ(f.Codec, "dvsd");
        EXPECT_EQ(f.DatecodeText, c.datecode);
        EXPECT_EQ(f.AudioText, c.audioText);
        if (c.audioText != "N/A") {
            EXPECT_EQ(std::to_string(f.SampleRate) + ",2", peer.audio);
            EXPECT_EQ(f.ChannelText, " stereo");
        } else {
            EXPECT_EQ(peer.audio, "");
        }
        if (c.datecode != "N/A") {
            EXPECT_EQ(f.TimecodeText, "00.00.00.00");
            EXPECT_EQ(f.DatecodeKey, c.datecode.substr(0, 4) + c.datecode.substr(5, 2) + c.datecode.substr(8, 2)
                                         + c.datecode.substr(11, 2) + c.datecode.substr(14, 2)
                                         + c.datecode.substr(17, 2));
        } else {
            EXPECT_EQ(f.DatecodeKey, "N/A");
        }
        if (fs::path(c.name).extension() == ".dv") {
            EXPECT_EQ(exiftoolDate(path), c.datecode == "N/A" ? "" : c.datecode);
        }
    }
}

TEST(AviProber, NonDvAvi)
{
    const auto path = test::fixturePath("nondv_mpeg4.avi");
    const TaviFichier f(path.string(), context());
    const PeerView peer = peerView(path);
    EXPECT_FALSE(f.IsDV);
    EXPECT_EQ(f.FileType, 0u);
    EXPECT_EQ(f.DatecodeText, "-");
    EXPECT_EQ(f.TimecodeText, "-");
    EXPECT_EQ(f.DatecodeKey, kNotLearned);
    EXPECT_EQ(f.Codec, "FMP4");
    EXPECT_EQ(f.SizeText, peer.size);
    EXPECT_EQ(f.AspectText, "");
    EXPECT_EQ(f.System, 2);
    EXPECT_EQ(std::to_string(f.FrameCount), peer.frames);
    EXPECT_EQ(f.FrameRate, 25.0);
    EXPECT_EQ(peer.audio, "44100,1");
    EXPECT_EQ(f.AudioText, "44100Hz 16 bits  mono");
    EXPECT_EQ(f.AudioFormatText, "PCM 88200 bytes/s");
    EXPECT_EQ(f.DurationText, "2s 00fr");
    EXPECT_EQ(f.AudioDurationText, "2s 00fr");
}

// A type 1 layout with a separate auds stream beside the iavs stream, made from real frames.
TEST(AviProber, IavsBesideAudsIsTypeTwoIavs)
{
    const auto tape = test::readBytes(test::fixturePath("tape_three.dv"));
    using test::Bytes;
    const auto frame = [&](std::size_t i) {
        return Bytes(tape.begin() + static_cast<long>(i * core::kPalFrameSize),
                     tape.begin() + static_cast<long>((i + 1) * core::kPalFrameSize));
    };
    Bytes dvinfo = test::zeros(32);
    dvinfo[16 + 2] = 0x20; // dwDVVAuxSrc: the 50 Hz bit
    Bytes wave;
    test::appendLe16(wave, 1);
    test::appendLe16(wave, 2);
    test::appendLe32(wave, 48000);
    test::appendLe32(wave, 192000);
    test::appendLe16(wave, 4);
    test::appendLe16(wave, 16);
    test::appendLe16(wave, 0);
    const Bytes file = test::riff(
        "AVI ",
        {test::list("hdrl",
                    {test::avihChunk(2),
                     test::list("strl", {test::chunk("strh", test::streamHeaderData("iavs", "dvsd", 1, 25, 3)),
                                         test::chunk("strf", dvinfo)}),
                     test::list("strl", {test::chunk("strh", test::streamHeaderData("auds", "", 1, 48000, 5760)),
                                         test::chunk("strf", wave)})}),
         test::list("movi", {test::chunk("01wb", test::zeros(7680)), test::chunk("00db", frame(0)),
                             test::chunk("01wb", test::zeros(7680)), test::chunk("00db", frame(1)),
                             test::chunk("00db", frame(2))})});
    const auto dir = test::scratchDir("ProbeIavsAuds");
    test::writeBytes(dir / "iavs_auds.avi", file);
    const TaviFichier f((dir / "iavs_auds.avi").string(), context());
    EXPECT_TRUE(f.IsDV);
    EXPECT_EQ(f.FileType, 2u);
    EXPECT_TRUE(f.Type2Iavs);
    EXPECT_EQ(f.System, 0);
    EXPECT_EQ(f.FrameRate, 25.0);
    EXPECT_EQ(f.FrameCount, 3u);
    EXPECT_EQ(f.SizeText, "720 x 576 (Pal");
    EXPECT_EQ(f.DatecodeText, "2024:05:01 10:00:00");
}

// Stream headers whose scale, rate and length multiply past 64 bits give no duration, not
// a wrapped-around one.
TEST(AviProber, AbsurdStreamHeadersGiveNoDuration)
{
    const auto tape = test::readBytes(test::fixturePath("tape_three.dv"));
    using test::Bytes;
    const Bytes frame(tape.begin(), tape.begin() + static_cast<long>(core::kPalFrameSize));
    Bytes bitmap;
    test::appendLe32(bitmap, 40);
    test::appendLe32(bitmap, 720);
    test::appendLe32(bitmap, 576);
    test::appendLe16(bitmap, 1);
    test::appendLe16(bitmap, 24);
    test::appendFourCC(bitmap, "dvsd");
    bitmap.resize(40);
    Bytes wave;
    test::appendLe16(wave, 1);
    test::appendLe16(wave, 2);
    test::appendLe32(wave, 48000);
    test::appendLe32(wave, 192000);
    test::appendLe16(wave, 4);
    test::appendLe16(wave, 16);
    test::appendLe16(wave, 0);
    const auto file = [&](std::uint32_t scale, std::uint32_t rate, std::uint32_t length) {
        return test::riff(
            "AVI ",
            {test::list(
                 "hdrl",
                 {test::avihChunk(2),
                  test::list("strl", {test::chunk("strh", test::streamHeaderData("vids", "dvsd", scale, rate, length)),
                                      test::chunk("strf", bitmap)}),
                  test::list("strl", {test::chunk("strh", test::streamHeaderData("auds", "", scale, rate, length)),
                                      test::chunk("strf", wave)})}),
             test::list("movi", {test::chunk("00dc", frame), test::chunk("01wb", test::zeros(7680))})});
    };
    const auto dir = test::scratchDir("ProbeAbsurdHeaders");
    test::writeBytes(dir / "absurd.avi", file(0xFFFFFFFF, 1, 0xFFFFFFFF));
    test::writeBytes(dir / "sane.avi", file(1, 25, 1));
    const TaviFichier absurd((dir / "absurd.avi").string(), context());
    EXPECT_TRUE(absurd.IsDV);
    EXPECT_EQ(absurd.DurationText, "N/A");
    EXPECT_EQ(absurd.AudioDurationText, "N/A");
    EXPECT_EQ(absurd.Duration, 0);
    EXPECT_EQ(absurd.FrameCount, 0u);
    const TaviFichier sane((dir / "sane.avi").string(), context());
    EXPECT_EQ(sane.DurationText, "1fr");
    EXPECT_EQ(sane.Duration, 400000);
}

// A capture tool that writes a DVINFO of zeros says nothing of the system: a PAL tape stays PAL.
TEST(AviProber, EmptyDvInfoTakesTheSystemFromTheFrame)
{
    auto bytes = test::readBytes(test::fixturePath("tape_three-type1.avi"));
    core::MemoryBytes source(bytes, 0);
    core::RiffChunks top(source, 0, bytes.size());
    const auto riff = top.next();
    ASSERT_TRUE(riff && riff->isList());
    auto inRiff = top.children(*riff);
    std::uint64_t dvInfo = 0;
    while (const auto chunk = inRiff.next()) {
        if (!chunk->isList(core::fcc::hdrl))
            continue;
        auto inHeader = inRiff.children(*chunk);
        while (const auto strl = inHeader.next()) {
            auto inStream = inHeader.children(*strl);
            while (const auto strf = inStream.next())
                if (strf->id == core::fcc::strf && strf->size >= 32)
                    dvInfo = strf->data();
        }
    }
    ASSERT_NE(dvInfo, 0u);
    std::fill_n(bytes.begin() + static_cast<long>(dvInfo), 32, std::uint8_t{0});
    const auto dir = test::scratchDir("ProbeEmptyDvInfo");
    test::writeBytes(dir / "zero_dvinfo.avi", bytes);
    const TaviFichier f((dir / "zero_dvinfo.avi").string(), context());
    EXPECT_TRUE(f.IsDV);
    EXPECT_EQ(f.FileType, 1u);
    EXPECT_EQ(f.System, 0);
    EXPECT_EQ(f.FrameRate, 25.0);
    EXPECT_EQ(f.SizeText, "720 x 576 (Pal");
}

TEST(AviProber, ImpossibleDateKeepsTheTimecode)
{
    auto bytes = test::readBytes(test::fixturePath("pal_4x3_48k.dv"));
    core::WriteDatecode(std::span(bytes).first(core::kPalFrameSize), 12, core::TDatecode{2024, 2, 31, 10, 0, 0});
    const auto dir = test::scratchDir("ProbeImpossibleDate");
    test::writeBytes(dir / "feb31.dv", bytes);
    const TaviFichier f((dir / "feb31.dv").string(), context());
    EXPECT_TRUE(f.IsDV);
    EXPECT_EQ(f.DatecodeText, "N/A");
    EXPECT_EQ(f.DatecodeKey, "N/A");
    EXPECT_EQ(f.TimecodeText, "00.00.00.00");
    EXPECT_EQ(f.Datecode.days(), 0.0);
}

// Sequence 0 of the first frame holds a valid but wrong date and time: the copies of the
// eleven other sequences outvote it.
TEST(AviProber, FirstFrameDatecodeIsWhatMostCopiesSay)
{
    auto bytes = test::readBytes(test::fixturePath("pal_4x3_48k.dv"));
    core::WriteDatecode(std::span(bytes).first(core::kDifSequenceSize), 1, core::TDatecode{1926, 3, 11, 8, 30, 0});
    const auto dir = test::scratchDir("ProbeDamagedSequence");
    test::writeBytes(dir / "seq0.dv", bytes);
    const TaviFichier f((dir / "seq0.dv").string(), context());
    EXPECT_TRUE(f.IsDV);
    EXPECT_EQ(f.DatecodeKey, "20240501100000");
    EXPECT_EQ(f.TimecodeText, "00.00.00.00");
}

// DV is known by its frames; the probe never writes into the file to find out.
TEST(AviProber, AnyHandlerCodeAndNothingWritten)
{
    for (const char *name : {"tape_three-type1.avi", "tape_three-type2.avi"}) {
        SCOPED_TRACE(name);
        const auto dir = test::scratchDir(std::string("ProbeHandler_") + name);
        const auto path = dir / name;
        fs::copy_file(test::fixturePath(name), path);
        ASSERT_TRUE(core::WriteHandlerCode(path.string(), core::FourCC::fromString("CDVC")));
        const auto before = test::readBytes(path);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        const TaviFichier f(path.string(), context());
        EXPECT_TRUE(f.IsDV);
        EXPECT_EQ(f.DatecodeText, "2024:05:01 10:00:00");
        EXPECT_EQ(test::readBytes(path), before);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mtim.tv_sec, st.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, st.st_mtim.tv_nsec);
    }
}

TEST(AviProber, RealSamples)
{
    struct Case {
        const char *name;
        std::string datecode, timecode, audio;
    };
    const Case cases[] = {
        {"ntsc43_sony-digital8_2024_5frames.dv", "2024:07:08 19:55:58", "00.00.02.17", "32000Hz 12(16) bits  stereo"},
        {"rewrapped/ntsc43_sony-digital8_2024_5frames_dvgrab-type1.avi", "2024:07:08 19:55:58", "00.00.02.17",
         "32000Hz 12(16) bits  stereo"},
        {"rewrapped/ntsc43_sony-digital8_2024_5frames_dvgrab-type2.avi", "2024:07:08 19:55:58", "00.00.02.17",
         "32000Hz 12(16) bits  stereo"},
        // ffprobe and mediainfo read 02;05 from the first timecode pack; the 52 others say 02;06.
        {"ntsc43_sony-digital8_2000_subcode-errors_1frame.dv", "2000:12:03 10:15:59", "00.00.02.06",
         "32000Hz 12(16) bits  stereo"},
        {"ntsc43_deck-capture_2005_empty-recdate_15frames.dv", "N/A", "00.37.46.06", "48000Hz 16 bits  stereo"},
        {"ntsc43_sony-digital8_blank-tape_1frame.dv", "N/A", "N/A", "N/A"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = test::requireSample(c.name);
        if (path.empty())
            return;
        const TaviFichier f(path.string(), context());
        const PeerView peer = peerView(path);
        EXPECT_TRUE(f.IsDV);
        EXPECT_EQ(f.System, 1);
        EXPECT_EQ(f.SizeText, peer.size + " (NTSC");
        EXPECT_EQ(std::to_string(f.FrameCount), peer.frames);
        EXPECT_EQ(f.DatecodeText, c.datecode);
        EXPECT_EQ(f.TimecodeText, c.timecode);
        EXPECT_EQ(f.AudioText, c.audio);
        if (fs::path(c.name).extension() == ".dv") {
            EXPECT_EQ(exiftoolDate(path), c.datecode == "N/A" ? "" : c.datecode);
        }
    }
}

TEST(AviProber, BadFilesAreUnreadable)
{
    const auto dir = test::scratchDir("ProbeBadFiles");
    const auto type1 = test::readBytes(test::fixturePath("tape_three-type1.avi"));
    test::writeBytes(dir / "empty.avi", {});
    test::writeBytes(dir / "garbage.avi", std::vector<std::uint8_t>(200000, 0xA5));
    test::writeBytes(dir / "header_only.avi", std::vector<std::uint8_t>(type1.begin(), type1.begin() + 100));
    // Cut inside the first frame: the header is whole but no frame can be read.
    test::writeBytes(dir / "cut_in_frame.avi", std::vector<std::uint8_t>(type1.begin(), type1.begin() + 20000));
    std::vector<std::uint8_t> riffGarbage = test::text("RIFF");
    test::appendLe32(riffGarbage, 1000);
    const auto avi = test::text("AVI ");
    riffGarbage.insert(riffGarbage.end(), avi.begin(), avi.end());
    riffGarbage.resize(1008, 0xEE);
    test::writeBytes(dir / "riff_garbage.avi", riffGarbage);
    const auto dv = test::readBytes(test::fixturePath("pal_4x3_48k.dv"));
    test::writeBytes(dir / "short_frame.dv", std::vector<std::uint8_t>(dv.begin(), dv.begin() + 4400));
    fs::create_directory(dir / "folder.avi");
    ASSERT_EQ(::mkfifo((dir / "pipe.avi").c_str(), 0644), 0); // must not wait for a writer
    for (const char *name : {"empty.avi", "garbage.avi", "header_only.avi", "cut_in_frame.avi", "riff_garbage.avi",
                             "short_frame.dv", "folder.avi", "pipe.avi"}) {
        SCOPED_TRACE(name);
        const TaviFichier f((dir / name).string(), context());
        EXPECT_TRUE(f.Found);
        EXPECT_FALSE(f.IsDV);
        EXPECT_EQ(f.DatecodeKey, kUnreadable);
        EXPECT_EQ(f.DatecodeText, "");
        EXPECT_EQ(f.TimecodeText, "");
        EXPECT_EQ(f.Codec, "");
        EXPECT_EQ(f.SizeText, "N/A");
        EXPECT_EQ(f.AudioText, "N/A");
    }
    // Cut after the first frame: a DV file whose header promises more than it holds.
    test::writeBytes(dir / "cut_later.avi", std::vector<std::uint8_t>(type1.begin(), type1.begin() + type1.size() / 2));
    const TaviFichier later((dir / "cut_later.avi").string(), context());
    EXPECT_TRUE(later.IsDV);
    EXPECT_EQ(later.DatecodeText, "2024:05:01 10:00:00");
}

TEST(AviProber, CompanionsAndMissingFile)
{
    const auto dir = test::scratchDir("ProbeCompanions");
    fs::copy_file(test::fixturePath("tape_three-type2.avi"), dir / "clip.avi");
    test::writeBytes(dir / "clip.scn", {0});
    const TaviFichier f((dir / "clip.avi").string(), context());
    EXPECT_TRUE(f.HasScn);
    EXPECT_FALSE(f.HasSrt);
    const TaviFichier missing((dir / "gone.avi").string(), context());
    EXPECT_FALSE(missing.Found);
    EXPECT_FALSE(missing.IsDV);
}

// Bytes this process has read from files (and pipes) so far.
std::uint64_t bytesReadByProcess()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:")
            return value;
    }
    return 0;
}

// Opening a file reads its headers and one frame, whatever the file's length.
TEST(AviProber, OpeningReadsHeadersAndOneFrame)
{
    for (const char *name :
         {"tape_three-type1.avi", "tape_three-type2.avi", "tape_three-opendml.avi", "tape_three.dv"}) {
        SCOPED_TRACE(name);
        const auto path = test::fixturePath(name);
        const auto size = fs::file_size(path);
        const std::uint64_t before = bytesReadByProcess();
        const TaviFichier f(path.string(), context());
        const std::uint64_t read = bytesReadByProcess() - before;
        EXPECT_TRUE(f.IsDV);
        EXPECT_LT(read, core::kPalFrameSize + 64 * 1024) << "of " << size;
    }
}

TEST(AviProber, FileObjectsBuiltOnSeveralThreads)
{
    const std::vector<std::string> names = {"tape_three-type1.avi", "tape_three-type2.avi",
                                            "ntsc_4x3_48k.dv",      "pal_16x9_32k-opendml.avi",
                                            "nondv_mpeg4.avi",      "ntsc_nodate-ffmpeg.avi"};
    std::map<std::string, std::string> expected;
    const auto summary = [](const TaviFichier &f) {
        return f.DatecodeSortKey + "|" + f.TimecodeText + "|" + f.SizeText + f.AspectText + "|" + f.AudioText + "|"
               + f.DurationText + "|" + std::to_string(f.FileType);
    };
    for (const auto &name : names)
        expected[name] = summary(TaviFichier(test::fixturePath(name).string(), context()));
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                for (std::size_t i = 0; i < names.size(); ++i) {
                    const auto &name = names[(i + static_cast<std::size_t>(t)) % names.size()];
                    if (summary(TaviFichier(test::fixturePath(name).string(), context())) != expected[name])
                        ++mismatches;
                }
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}

} // namespace
