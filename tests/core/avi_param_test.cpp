// Tests of the RIFF/AVI header reader on generated DV AVI files, real samples and hand-made byte images.
#include "core/avi_param.h"

#include "support/riff_builder.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <fstream>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

using camlog::core::AviIndexHeader;
using camlog::core::AviMainHeader;
using camlog::core::AviStreamHeader;
using camlog::core::BitmapInfoHeader;
using camlog::core::DvInfo;
using camlog::core::FourCC;
using camlog::core::RiffReader;
using camlog::core::TFriendlyAviParam;
using camlog::core::WaveFormatEx;
namespace t = camlog::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> streamTypes(const TFriendlyAviParam &avi)
{
    std::vector<std::string> types;
    for (const auto &stream : avi.Streams())
        types.push_back(stream.header.fccType.toString());
    return types;
}

// What a walk found, in one comparable value.
struct Found {
    bool valid;
    int firstVideo;
    int firstAudio;
    std::string codec;
    std::vector<std::string> types;

    bool operator==(const Found &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Found &f)
{
    out << "{valid=" << f.valid << " video=" << f.firstVideo << " audio=" << f.firstAudio << " codec=\"" << f.codec
        << "\" types=[";
    for (const auto &type : f.types)
        out << type << ' ';
    return out << "]}";
}

Found walk(const fs::path &path)
{
    const TFriendlyAviParam avi(path);
    return {avi.Valid(), avi.FirstVideo(), avi.FirstAudio(), avi.VideoCodec(), streamTypes(avi)};
}

const Found kNothing{false, -1, -1, "####", {}};

// Writes byte pieces at their offsets and sets the file size; the gaps stay holes, so a
// file of several gigabytes costs a few kilobytes of disk.
void writeSparse(const fs::path &path, std::uint64_t size,
                 const std::vector<std::pair<std::uint64_t, t::Bytes>> &pieces)
{
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const auto &[offset, bytes] : pieces) {
            out.seekp(static_cast<std::streamoff>(offset));
            out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        ASSERT_TRUE(out.good());
    }
    fs::resize_file(path, size);
}

// The invariants every walk keeps, whatever the bytes.
void expectConsistent(const TFriendlyAviParam &avi)
{
    const auto count = static_cast<int>(avi.Streams().size());
    ASSERT_GE(avi.FirstVideo(), -1);
    ASSERT_LT(avi.FirstVideo(), count);
    ASSERT_GE(avi.FirstAudio(), -1);
    ASSERT_LT(avi.FirstAudio(), count);
    if (avi.FirstVideo() >= 0) {
        const FourCC type = avi.Streams()[static_cast<std::size_t>(avi.FirstVideo())].header.fccType;
        EXPECT_TRUE(type == camlog::core::fcc::vids || type == camlog::core::fcc::iavs);
        EXPECT_EQ(avi.VideoStream(), &avi.Streams()[static_cast<std::size_t>(avi.FirstVideo())]);
    } else {
        EXPECT_EQ(avi.VideoStream(), nullptr);
        EXPECT_EQ(avi.VideoCodec(), "####");
    }
    if (avi.FirstAudio() >= 0) {
        EXPECT_EQ(avi.Streams()[static_cast<std::size_t>(avi.FirstAudio())].header.fccType, camlog::core::fcc::auds);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Files written by dvgrab and ffmpeg. Expected values are those ffprobe and mediainfo
// report on the same files (frame size, rate, frame and sample counts).

TEST(AviParamFixtures, GeneratedFiles)
{
    struct Audio {
        std::uint32_t sampleRate, samples;
    };
    struct Case {
        const char *file;
        std::vector<std::string> types;
        int firstVideo, firstAudio;
        std::uint32_t width, height, scale, rate, frames, microSecPerFrame;
        std::optional<Audio> audio; // of the auds stream, when there is one
    };
    const Case cases[] = {
        {"tape_three-type1.avi", {"iavs"}, 0, -1, 720, 576, 1, 25, 125, 40000, {}},
        {"tape_three-type2.avi", {"vids", "auds"}, 0, 1, 720, 576, 1, 25, 125, 40000, Audio{48000, 240000}},
        {"tape_three-opendml.avi", {"iavs"}, 0, -1, 720, 576, 1, 25, 125, 40000, {}},
        {"ntsc_4x3_48k-type1.avi", {"iavs"}, 0, -1, 720, 480, 1001, 30000, 29, 33366, {}},
        {"ntsc_4x3_48k-type2.avi", {"vids", "auds"}, 0, 1, 720, 480, 1001, 30000, 29, 33366, Audio{48000, 46446}},
        {"ntsc_4x3_48k-opendml.avi", {"iavs"}, 0, -1, 720, 480, 1001, 30000, 29, 33366, {}},
        {"pal_16x9_32k-type1.avi", {"iavs"}, 0, -1, 720, 576, 1, 25, 25, 40000, {}},
        {"pal_16x9_32k-type2.avi", {"vids", "auds"}, 0, 1, 720, 576, 1, 25, 25, 40000, Audio{32000, 32000}},
        {"pal_16x9_32k-opendml.avi", {"iavs"}, 0, -1, 720, 576, 1, 25, 25, 40000, {}},
        {"ntsc_nodate-ffmpeg.avi", {"vids"}, 0, -1, 720, 480, 1001, 30000, 30, 33366, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const TFriendlyAviParam avi(t::fixturePath(c.file));
        EXPECT_TRUE(avi.Valid());
        EXPECT_EQ(streamTypes(avi), c.types);
        EXPECT_EQ(avi.FirstVideo(), c.firstVideo);
        EXPECT_EQ(avi.FirstAudio(), c.firstAudio);
        EXPECT_EQ(avi.VideoCodec(), "dvsd");

        ASSERT_TRUE(avi.mainHeader());
        EXPECT_EQ(avi.mainHeader()->dwWidth, c.width);
        EXPECT_EQ(avi.mainHeader()->dwHeight, c.height);
        EXPECT_EQ(avi.mainHeader()->dwTotalFrames, c.frames);
        EXPECT_EQ(avi.mainHeader()->dwMicroSecPerFrame, c.microSecPerFrame);
        EXPECT_EQ(avi.mainHeader()->dwStreams, c.types.size());

        ASSERT_NE(avi.VideoStream(), nullptr);
        const AviStreamHeader &video = avi.VideoStream()->header;
        EXPECT_EQ(video.dwScale, c.scale);
        EXPECT_EQ(video.dwRate, c.rate);
        EXPECT_EQ(video.dwLength, c.frames);
        if (c.audio) {
            const AviStreamHeader &audio = avi.Streams()[static_cast<std::size_t>(avi.FirstAudio())].header;
            ASSERT_NE(audio.dwScale, 0u);
            EXPECT_EQ(audio.dwRate / audio.dwScale, c.audio->sampleRate);
            EXPECT_EQ(audio.dwLength, c.audio->samples);
        }
    }
}

TEST(AviParamFixtures, FfmpegFrameRectangle)
{
    const TFriendlyAviParam avi(t::fixturePath("ntsc_nodate-ffmpeg.avi"));
    ASSERT_NE(avi.VideoStream(), nullptr);
    EXPECT_EQ(avi.VideoStream()->header.rcFrame, (camlog::core::AviRect{0, 0, 720, 480}));
    // The raw record is the decoded one.
    EXPECT_EQ(AviStreamHeader::fromBytes(avi.VideoStream()->raw), avi.VideoStream()->header);
}

TEST(AviParamFixtures, RealCamcorderFramesRewrapped)
{
    struct Case {
        const char *file;
        std::vector<std::string> types;
        int firstAudio;
    };
    const Case cases[] = {
        {"rewrapped/ntsc43_sony-digital8_2024_5frames_dvgrab-type1.avi", {"iavs"}, -1},
        {"rewrapped/ntsc43_sony-digital8_2024_5frames_dvgrab-type2.avi", {"vids", "auds"}, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const auto path = t::requireSample(c.file);
        if (path.empty())
            return;
        const TFriendlyAviParam avi(path);
        EXPECT_EQ(walk(path), (Found{true, 0, c.firstAudio, "dvsd", c.types}));
        ASSERT_TRUE(avi.mainHeader());
        EXPECT_EQ(avi.mainHeader()->dwTotalFrames, 5u);
        EXPECT_EQ(avi.mainHeader()->dwHeight, 480u);
        EXPECT_EQ(avi.VideoStream()->header.dwRate, 30000u);
        EXPECT_EQ(avi.VideoStream()->header.dwScale, 1001u);
        if (c.firstAudio >= 0) {
            const auto &audio = avi.Streams()[1].header;
            EXPECT_EQ(audio.dwRate / audio.dwScale, 32000u);
            EXPECT_EQ(audio.dwLength, 5339u);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Truncated and extended copies of generated files.

TEST(AviParamFixtures, TruncatedCopiesAreNotValid)
{
    const auto dir = t::scratchDir("AviParamTruncated");
    for (const char *file : {"pal_16x9_32k-type1.avi", "pal_16x9_32k-type2.avi", "pal_16x9_32k-opendml.avi"}) {
        const auto source = t::fixturePath(file);
        const std::uint64_t size = fs::file_size(source);
        // In the RIFF header, the hdrl header, avih, the first strh, the super index, the
        // movi list, idx1, and one byte short.
        const std::uint64_t cuts[] = {4, 8, 11, 12, 20, 40, 120, 5000, 70000, size / 2, size - 100, size - 1};
        for (const auto cut : cuts) {
            SCOPED_TRACE(std::string(file) + " cut at " + std::to_string(cut));
            const auto copy = dir / "cut.avi";
            fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
            fs::resize_file(copy, cut);
            EXPECT_EQ(walk(copy), kNothing);
        }
    }
}

TEST(AviParamFixtures, DataAfterTheLastRiffIsIgnored)
{
    const auto dir = t::scratchDir("AviParamExtended");
    const auto source = t::fixturePath("pal_16x9_32k-type2.avi");
    for (const std::uint64_t extra : {1, 7, 8, 100}) {
        SCOPED_TRACE(extra);
        const auto copy = dir / "longer.avi";
        fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
        fs::resize_file(copy, fs::file_size(source) + extra);
        EXPECT_EQ(walk(copy), (Found{true, 0, 1, "dvsd", {"vids", "auds"}}));
    }
}

TEST(AviParamFixtures, GeneratedFileFollowedByAvixChunks)
{
    const auto dir = t::scratchDir("AviParamAvixAppended");
    const auto path = dir / "odml.avi";
    const auto head = t::readBytes(t::fixturePath("pal_16x9_32k-opendml.avi"));
    // The second AVIX carries a stream list of its own: it is found only if that RIFF is walked.
    const auto avix2 = t::riff("AVIX", {t::list("hdrl", {t::streamList("auds", "")}), t::moviList(2)});
    t::writeBytes(path, t::cat({head, t::avixRiff(4), avix2}));
    EXPECT_EQ(walk(path), (Found{true, 0, 1, "dvsd", {"iavs", "auds"}}));
}

// ---------------------------------------------------------------------------------------
// Hand-made files.

TEST(AviParamBuilt, Structures)
{
    using namespace camlog::test;
    const Bytes strlIavs = streamList("iavs", "dvsd");
    const Bytes strlVids = streamList("vids", "dvsd");
    const Bytes strlAuds = streamList("auds", "");
    const Bytes hdrlType1 = list("hdrl", {avihChunk(), strlIavs});
    const Bytes idx1 = chunk("idx1", zeros(48));
    const Bytes type1 = aviFile({strlIavs});
    // RIFF AVI whose movi list declares 100 bytes more than the RIFF holds; the RIFF
    // itself fits in the file because 200 bytes follow it.
    const Bytes overrun = [&] {
        const Bytes frames = chunk("00dc", zeros(24));
        return cat({riff("AVI ", {hdrlType1, listDeclaring("LIST", "movi",
                                                           static_cast<std::uint32_t>(frames.size() + 104), frames)}),
                    zeros(200)});
    }();

    struct Case {
        const char *name;
        Bytes bytes;
        Found expected;
    };
    const Case cases[] = {
        // Stream tables
        {"type 1", type1, {true, 0, -1, "dvsd", {"iavs"}}},
        {"type 2", aviFile({strlVids, strlAuds}), {true, 0, 1, "dvsd", {"vids", "auds"}}},
        {"type 2, audio stream header first", aviFile({strlAuds, strlVids}), {true, 1, 0, "dvsd", {"auds", "vids"}}},
        {"Canopus handler", aviFile({streamList("vids", "CDVC")}), {true, 0, -1, "CDVC", {"vids"}}},
        {"first of two video streams", aviFile({streamList("vids", "dvsd"), streamList("iavs", "CDVC")}), {true, 0, -1, "dvsd", {"vids", "iavs"}}},
        {"interleaved after audio", aviFile({strlAuds, streamList("iavs", "dsvd")}), {true, 1, 0, "dsvd", {"auds", "iavs"}}},
        {"second audio stream is not first", aviFile({strlAuds, strlVids, strlAuds}), {true, 1, 0, "dvsd", {"auds", "vids", "auds"}}},
        {"text stream is neither", aviFile({streamList("txts", "abcd")}), {true, -1, -1, "####", {"txts"}}},
        {"no stream lists", aviFile({}), {true, -1, -1, "####", {}}},
        {"stream list without strh", riff("AVI ", {list("hdrl", {avihChunk(), list("strl", {chunk("strf", zeros(32))})})}),
         {true, -1, -1, "####", {std::string(4, '\0')}}},

        // Top level
        {"RIFF WAVE", riff("WAVE", {chunk("fmt ", zeros(16)), chunk("data", zeros(100))}), kNothing},
        {"RIFF WAVE before RIFF AVI", cat({riff("WAVE", {chunk("data", zeros(10))}), type1}), kNothing},
        {"LIST at the top", list("hdrl", {avihChunk(), strlIavs}), kNothing},
        {"RIFF type in lower case", riff("avi ", {hdrlType1, moviList(2)}), {true, 0, -1, "dvsd", {"iavs"}}},
        {"RIFF AVIX alone", avixRiff(), {true, -1, -1, "####", {}}},
        {"RIFF AVI holding only its type", riff("AVI ", {}), {true, -1, -1, "####", {}}},
        {"RIFF too small for its type", cat({chunkHeader("RIFF", 2), zeros(2)}), kNothing},
        {"RIFF size that wraps 32 bits with its header", cat({chunkHeader("RIFF", 0xFFFFFFF8), text("AVI "), hdrlType1}), kNothing},
        {"RIFF longer than the file", cat({chunkHeader("RIFF", static_cast<std::uint32_t>(type1.size() - 8 + 2)), Bytes(type1.begin() + 8, type1.end())}),
         kNothing},
        {"RIFF cut inside its movi list", Bytes(type1.begin(), type1.end() - 60), kNothing},

        // OpenDML
        {"RIFF AVI and two AVIX", cat({type1, avixRiff(5), avixRiff(2)}), {true, 0, -1, "dvsd", {"iavs"}}},
        {"second AVIX cut short keeps what the first RIFFs gave", [&] {
             const Bytes all = cat({type1, avixRiff(5), avixRiff(4)});
             return Bytes(all.begin(), all.end() - 30);
         }(),
         {true, 0, -1, "dvsd", {"iavs"}}},
        {"AVIX with an overrunning chunk keeps Valid", cat({type1, riff("AVIX", {chunkHeader("JUNK", 100), zeros(20)})}),
         {true, 0, -1, "dvsd", {"iavs"}}},
        {"WAVE between AVI and AVIX ends the walk",
         cat({type1, riff("WAVE", {chunk("data", zeros(10))}), riff("AVIX", {list("hdrl", {strlAuds})})}),
         {true, 0, -1, "dvsd", {"iavs"}}},
        {"failed first RIFF is not rescued by an AVIX", cat({Bytes(overrun.begin(), overrun.end() - 200), avixRiff()}),
         {false, 0, -1, "dvsd", {"iavs"}}},
        {"garbage after the last RIFF", cat({type1, text("garbage after the end"), zeros(80)}), {true, 0, -1, "dvsd", {"iavs"}}},

        // Chunks inside the RIFF
        {"chunk overrunning its RIFF; the streams read before stay", overrun, {false, 0, -1, "dvsd", {"iavs"}}},
        {"chunk size that wraps 32 bits with its header", cat({riff("AVI ", {hdrlType1, chunkHeader("JUNK", 0xFFFFFFF8), zeros(8)}), zeros(16)}),
         {false, 0, -1, "dvsd", {"iavs"}}},
        {"LIST too small for its type", riff("AVI ", {hdrlType1, cat({chunkHeader("LIST", 2), zeros(2)})}), {false, 0, -1, "dvsd", {"iavs"}}},
        {"other lists and chunks are passed", riff("AVI ", {chunk("JUNK", zeros(12)), list("INFO", {chunk("ISFT", text("x"))}), hdrlType1, moviList(2), idx1}),
         {true, 0, -1, "dvsd", {"iavs"}}},
        {"a second hdrl adds its streams", riff("AVI ", {hdrlType1, list("hdrl", {strlAuds})}), {true, 0, 1, "dvsd", {"iavs", "auds"}}},
        {"odd-sized chunks with pad bytes",
         riff("AVI ", {list("hdrl", {avihChunk(), chunk("JUNK", zeros(5)),
                                     list("strl", {chunk("strn", text("Camera")), chunk("strh", streamHeaderData("vids", "dvsd")),
                                                   chunk("strf", zeros(72)), chunk("JUNK", zeros(3))}),
                                     list("strl", {chunk("strn", text("Mic")), chunk("strh", streamHeaderData("auds", "")),
                                                   chunk("strf", zeros(18))})}),
                       chunk("JUNK", zeros(1)), list("movi", {chunk("00dc", zeros(23)), chunk("01wb", zeros(9))}), chunk("idx1", zeros(32))}),
         {true, 0, 1, "dvsd", {"vids", "auds"}}},
        {"eight odd-sized chunks in one list",
         riff("AVI ", {list("hdrl", {avihChunk(), chunk("JUNK", zeros(1)), chunk("JUNK", zeros(3)), chunk("JUNK", zeros(5)),
                                     chunk("JUNK", zeros(7)), chunk("JUNK", zeros(1)), chunk("JUNK", zeros(3)),
                                     chunk("JUNK", zeros(5)), chunk("JUNK", zeros(7)), strlIavs}),
                       moviList(2)}),
         {true, 0, -1, "dvsd", {"iavs"}}},
        {"slack bytes at the end of hdrl", [&] {
             const Bytes children = cat({avihChunk(), strlVids, zeros(6)});
             return riff("AVI ", {listDeclaring("LIST", "hdrl", static_cast<std::uint32_t>(children.size() + 4), children), moviList(2), idx1});
         }(),
         {true, 0, -1, "dvsd", {"vids"}}},
        {"stream list claiming more than its header list", [&] {
             const Bytes strh = chunk("strh", streamHeaderData("vids", "dvsd"));
             return riff("AVI ", {list("hdrl", {avihChunk(), listDeclaring("LIST", "strl", 0x7FFFFFF0, strh), strlAuds}), moviList(2), idx1});
         }(),
         {true, 0, -1, "dvsd", {"vids"}}},
        {"header list child running past the file", riff("AVI ", {list("hdrl", {avihChunk(), strlIavs, chunkHeader("JUNK", 1000)})}),
         {false, 0, -1, "dvsd", {"iavs"}}},

        // Records of other sizes
        {"avih of 40 bytes", riff("AVI ", {list("hdrl", {chunk("avih", zeros(40)), strlIavs}), moviList(1)}), {true, 0, -1, "dvsd", {"iavs"}}},
        {"avih of 64 bytes", riff("AVI ", {list("hdrl", {chunk("avih", zeros(64)), strlIavs}), moviList(1)}), {true, 0, -1, "dvsd", {"iavs"}}},
        {"strh of 64 bytes", aviFile({list("strl", {chunk("strh", cat({streamHeaderData("vids", "dvsd"), zeros(8)})), chunk("strf", zeros(72))}), strlAuds}),
         {true, 0, 1, "dvsd", {"vids", "auds"}}},
        {"strh of 8 bytes", aviFile({list("strl", {chunk("strh", text("iavsCDVC")), chunk("strf", zeros(32))}), strlAuds}),
         {true, 0, 1, "CDVC", {"iavs", "auds"}}},
        {"strh running past the file", riff("AVI ", {list("hdrl", {avihChunk(), list("strl", {chunkHeader("strh", 56), text("vids")})})}),
         {true, -1, -1, "####", {std::string(4, '\0')}}},

        // OpenDML index and header
        {"indx of 88 bytes", aviFile({list("strl", {chunk("indx", indexData("00dc", 4)), chunk("strh", streamHeaderData("vids", "dvsd"))})}),
         {true, 0, -1, "dvsd", {"vids"}}},
        {"indx of 72 bytes ends its stream list", aviFile({list("strl", {chunk("indx", indexData("00dc", 3)), chunk("strh", streamHeaderData("vids", "dvsd"))})}),
         {true, -1, -1, "####", {std::string(4, '\0')}}},
        {"indx of 72 bytes after strh spoils nothing",
         aviFile({list("strl", {chunk("strh", streamHeaderData("vids", "dvsd")), chunk("strf", zeros(72)), chunk("indx", indexData("00dc", 3))}), strlAuds}),
         {true, 0, 1, "dvsd", {"vids", "auds"}}},
        {"odml list with dmlh and more", riff("AVI ", {list("hdrl", {avihChunk(), strlIavs, list("odml", {chunk("dmlh", zeros(248)), chunk("JUNK", zeros(10))}), strlAuds}), moviList(2)}),
         {true, 0, 1, "dvsd", {"iavs", "auds"}}},
        {"odml list with a short dmlh", riff("AVI ", {list("hdrl", {avihChunk(), list("odml", {chunk("dmlh", zeros(4))}), strlIavs}), moviList(2)}),
         {true, 0, -1, "dvsd", {"iavs"}}},
        {"odml list with a long dmlh", riff("AVI ", {list("hdrl", {avihChunk(), list("odml", {chunk("dmlh", zeros(300))}), strlIavs}), moviList(2)}),
         {true, 0, -1, "dvsd", {"iavs"}}},
    };

    const auto dir = t::scratchDir("AviParamBuilt");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir / "case.avi";
        t::writeBytes(path, c.bytes);
        const TFriendlyAviParam avi(path);
        EXPECT_EQ(walk(path), c.expected);
        expectConsistent(avi);
    }
}

TEST(AviParamBuilt, MainHeaderOfOtherSizes)
{
    using namespace camlog::test;
    const Bytes record = mainHeaderData(33366, 29, 2, 720, 480);
    struct Case {
        const char *name;
        Bytes avihData;
        AviMainHeader expected;
    };
    AviMainHeader full;
    full.dwMicroSecPerFrame = 33366;
    full.dwMaxBytesPerSec = 3'600'000;
    full.dwFlags = 0x10;
    full.dwTotalFrames = 29;
    full.dwStreams = 2;
    full.dwSuggestedBufferSize = 144'008;
    full.dwWidth = 720;
    full.dwHeight = 480;
    AviMainHeader first16;
    first16.dwMicroSecPerFrame = 33366;
    first16.dwMaxBytesPerSec = 3'600'000;
    first16.dwFlags = 0x10;
    Bytes withTail = cat({record, Bytes(8, 0xEE)});

    const Case cases[] = {
        {"56 bytes", record, full},
        {"64 bytes: the extra 8 are skipped", withTail, full},
        {"16 bytes: the rest reads as zero", Bytes(record.begin(), record.begin() + 16), first16},
    };
    const auto dir = t::scratchDir("AviParamMainHeader");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir / "case.avi";
        t::writeBytes(
            path,
            riff("AVI ", {list("hdrl", {chunk("avih", c.avihData), streamList("vids", "dvsd"), streamList("auds", "")}),
                          moviList(1)}));
        const TFriendlyAviParam avi(path);
        EXPECT_TRUE(avi.Valid());
        ASSERT_TRUE(avi.mainHeader());
        EXPECT_EQ(*avi.mainHeader(), c.expected);
        // The walk went on after the record, whatever its size.
        EXPECT_EQ(avi.FirstAudio(), 1);
    }
}

TEST(AviParamBuilt, UnreadableFiles)
{
    const auto dir = t::scratchDir("AviParamUnreadable");
    std::mt19937 random(20240501);
    t::Bytes noise(4096);
    for (auto &byte : noise)
        byte = static_cast<std::uint8_t>(random());
    t::Bytes riffNoise =
        t::cat({t::chunkHeader("RIFF", 4092 - 8), t::text("AVI "), t::Bytes(noise.begin(), noise.begin() + 4080)});

    t::writeBytes(dir / "empty.avi", {});
    t::writeBytes(dir / "seven.avi", t::text("RIFF\x10\0\0"));
    t::writeBytes(dir / "noise.avi", noise);
    t::writeBytes(dir / "riff-noise.avi", riffNoise);
    fs::create_directories(dir / "folder.avi");

    for (const char *name : {"missing.avi", "empty.avi", "seven.avi", "noise.avi", "folder.avi"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(walk(dir / name), kNothing);
    }
    // A RIFF AVI full of noise may or may not walk; it must stay consistent.
    const TFriendlyAviParam avi(dir / "riff-noise.avi");
    expectConsistent(avi);
}

TEST(AviParamBuilt, NamedPipeIsRefusedWithoutBlocking)
{
    const auto dir = t::scratchDir("AviParamPipe");
    const auto path = dir / "pipe.avi";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(walk(path), kNothing);
}

// Random damage to the header of a small type 2 file: no crash, no read outside the file
// (the sanitizer build checks), and a result that holds together.
TEST(AviParamBuilt, DamagedHeadersStayConsistent)
{
    using namespace camlog::test;
    const Bytes clean = cat({aviFile({streamList("vids", "dvsd"),
                                      list("strl", {chunk("strh", streamHeaderData("auds", "")),
                                                    chunk("strf", zeros(18)), chunk("indx", indexData("01wb", 4))})}),
                             avixRiff(2)});
    const auto dir = t::scratchDir("AviParamDamaged");
    const auto path = dir / "damaged.avi";
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> where(0, 400);
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = clean;
        for (int hit = 0; hit < 3; ++hit)
            bytes[where(random) % bytes.size()] = static_cast<std::uint8_t>(random());
        if (round % 4 == 0)
            bytes.resize(where(random) % bytes.size());
        t::writeBytes(path, bytes);
        const TFriendlyAviParam avi(path);
        SCOPED_TRACE(round);
        expectConsistent(avi);
    }
}

// Sizes above 2 GB and 4 GB: a RIFF AVI whose movi list is larger than 2^31 bytes, an AVIX
// of almost 2^32 bytes, then an AVIX beyond 6 GB that holds a stream list. Only headers
// are touched, so walking this sparse file is instant.
TEST(AviParamBuilt, FilesLargerThanFourGigabytes)
{
    using namespace camlog::test;
    const Bytes hdrl = list("hdrl", {avihChunk(), streamList("iavs", "dvsd")});
    const Bytes idx1 = chunk("idx1", zeros(16));
    const std::uint64_t movi1 = 0x9000'0000; // declared size, type included
    const std::uint64_t riff1 = 4 + hdrl.size() + 8 + movi1 + idx1.size();
    const std::uint64_t riff2 = 0xFFFF'FFF0;
    const std::uint64_t movi2 = riff2 - 4 - 8; // declared size of the AVIX's movi list
    const Bytes riff3 = riff("AVIX", {list("hdrl", {streamList("auds", "")}), moviList(1)});

    const std::uint64_t at2 = 8 + riff1;
    const std::uint64_t at3 = at2 + 8 + riff2;
    const std::uint64_t total = at3 + riff3.size();
    ASSERT_GT(at3, std::uint64_t{6} << 30);

    const auto dir = t::scratchDir("AviParamLarge");
    const auto path = dir / "large.avi";
    writeSparse(path, total,
                {{0, cat({chunkHeader("RIFF", static_cast<std::uint32_t>(riff1)), text("AVI "), hdrl,
                          chunkHeader("LIST", static_cast<std::uint32_t>(movi1)), text("movi")})},
                 {8 + riff1 - idx1.size(), idx1},
                 {at2, cat({chunkHeader("RIFF", static_cast<std::uint32_t>(riff2)), text("AVIX"),
                            chunkHeader("LIST", static_cast<std::uint32_t>(movi2)), text("movi")})},
                 {at3, riff3}});
    if (::testing::Test::HasFatalFailure())
        return;
    EXPECT_EQ(walk(path), (Found{true, 0, 1, "dvsd", {"iavs", "auds"}}));

    // One byte short: the last AVIX is not walked, the first two still make the file valid.
    fs::resize_file(path, total - 1);
    EXPECT_EQ(walk(path), (Found{true, 0, -1, "dvsd", {"iavs"}}));
    fs::remove(path);
}

// ---------------------------------------------------------------------------------------
// Records and the chunk reader.

template <std::size_t N> std::span<const std::uint8_t, N> first(const std::array<std::uint8_t, 56> &bytes)
{
    return std::span<const std::uint8_t, N>(bytes.data(), N);
}

// Every record byte holds its own offset, so each field shows where it was read from.
TEST(AviParamRecords, FieldsComeFromTheirOffsets)
{
    std::array<std::uint8_t, 56> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);

    const auto avih = AviMainHeader::fromBytes(first<56>(bytes));
    EXPECT_EQ(avih.dwMicroSecPerFrame, 0x03020100u);
    EXPECT_EQ(avih.dwStreams, 0x1B1A1918u);
    EXPECT_EQ(avih.dwHeight, 0x27262524u);
    EXPECT_EQ(avih.dwReserved[3], 0x37363534u);

    const auto strh = AviStreamHeader::fromBytes(first<56>(bytes));
    EXPECT_EQ(strh.fccType.value(), 0x03020100u);
    EXPECT_EQ(strh.fccHandler.value(), 0x07060504u);
    EXPECT_EQ(strh.wPriority, 0x0D0Cu);
    EXPECT_EQ(strh.wLanguage, 0x0F0Eu);
    EXPECT_EQ(strh.dwScale, 0x17161514u);
    EXPECT_EQ(strh.dwRate, 0x1B1A1918u);
    EXPECT_EQ(strh.dwLength, 0x23222120u);
    EXPECT_EQ(strh.dwSampleSize, 0x2F2E2D2Cu);
    EXPECT_EQ(strh.rcFrame, (camlog::core::AviRect{0x3130, 0x3332, 0x3534, 0x3736}));
    EXPECT_EQ(AviStreamHeader::kScaleOffset, 0x14u);

    const auto bih = BitmapInfoHeader::fromBytes(first<40>(bytes));
    EXPECT_EQ(bih.biWidth, 0x07060504);
    EXPECT_EQ(bih.biBitCount, 0x0F0Eu);
    EXPECT_EQ(bih.biCompression.value(), 0x13121110u);
    EXPECT_EQ(bih.biClrImportant, 0x27262524u);

    const auto wave = WaveFormatEx::fromBytes(first<18>(bytes));
    EXPECT_EQ(wave.nChannels, 0x0302u);
    EXPECT_EQ(wave.nSamplesPerSec, 0x07060504u);
    EXPECT_EQ(wave.nBlockAlign, 0x0D0Cu);
    EXPECT_EQ(wave.cbSize, 0x1110u);

    const auto dv = DvInfo::fromBytes(first<32>(bytes));
    EXPECT_EQ(dv.dwDVAAuxSrc, 0x03020100u);
    EXPECT_EQ(dv.dwDVVAuxCtl, 0x17161514u);
    EXPECT_EQ(dv.dwDVReserved[1], 0x1F1E1D1Cu);

    const auto index = AviIndexHeader::fromBytes(first<24>(bytes));
    EXPECT_EQ(index.wLongsPerEntry, 0x0100u);
    EXPECT_EQ(index.bIndexSubType, 0x02u);
    EXPECT_EQ(index.bIndexType, 0x03u);
    EXPECT_EQ(index.nEntriesInUse, 0x07060504u);
    EXPECT_EQ(index.dwChunkId.value(), 0x0B0A0908u);
    EXPECT_EQ(index.qwBaseOffset, 0x131211100F0E0D0Cull);
    EXPECT_EQ(index.dwReserved3, 0x17161514u);
}

TEST(AviParamRecords, ReaderNeverMovesOutsideTheFile)
{
    const auto dir = t::scratchDir("AviParamReader");
    const auto path = dir / "small.bin";
    // An odd-sized chunk, its pad byte, then a second chunk header.
    t::writeBytes(path, t::cat({t::chunk("abcd", t::zeros(3)), t::chunkHeader("efgh", 0x100)}));
    RiffReader reader(path);
    ASSERT_TRUE(reader.isOpen());
    EXPECT_EQ(reader.size(), 20u);

    ASSERT_TRUE(reader.ReadChunkHeader());
    EXPECT_EQ(reader.ChunkId().toString(), "abcd");
    EXPECT_EQ(reader.ChunkSize(), 3u);
    ASSERT_TRUE(reader.SkipChunk());
    EXPECT_EQ(reader.position(), 11u);
    ASSERT_TRUE(reader.ReadChunkHeader()); // skips the pad byte at 11
    EXPECT_EQ(reader.ChunkId().toString(), "efgh");
    EXPECT_EQ(reader.position(), 20u);
    EXPECT_FALSE(reader.SkipChunk()); // 0x100 bytes are not there
    EXPECT_EQ(reader.position(), 20u);
    EXPECT_FALSE(reader.ReadChunkHeader());
    EXPECT_EQ(reader.ChunkId().toString(), "efgh"); // unchanged by the failed read

    EXPECT_FALSE(reader.seek(21));
    EXPECT_TRUE(reader.seek(16));
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(reader.read(buffer), 4u);
    EXPECT_EQ(reader.position(), 20u);

    ASSERT_TRUE(reader.seek(0));
    ASSERT_TRUE(reader.ReadChunkHeader());
    EXPECT_FALSE(reader.ReadListType()); // 3 bytes cannot hold a list type
    EXPECT_EQ(reader.ChunkSize(), 3u);
    ASSERT_TRUE(reader.seek(12));
    ASSERT_TRUE(reader.ReadChunkHeader());
    EXPECT_FALSE(reader.ReadListType()); // at the end of the file
    EXPECT_EQ(reader.ChunkSize(), 0x100u);
}
