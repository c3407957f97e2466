// DV frames read from AVI files by their indexes: agreement with the raw tapes and ffprobe, damage.
#include "media/reading/dv_frame_reader.h"

#include "media_test_support.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include <sys/stat.h>

namespace camlog::media {
namespace {

using test::ffprobeVideoPackets;
using test::fixturePath;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kPal = 144000;

std::uint32_t get32(const Bytes &b, std::size_t pos)
{
    return static_cast<std::uint32_t>(b[pos]) | static_cast<std::uint32_t>(b[pos + 1]) << 8
           | static_cast<std::uint32_t>(b[pos + 2]) << 16 | static_cast<std::uint32_t>(b[pos + 3]) << 24;
}
void put32(Bytes &b, std::size_t pos, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[pos + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put64(Bytes &b, std::size_t pos, std::uint64_t v)
{
    put32(b, pos, static_cast<std::uint32_t>(v));
    put32(b, pos + 4, static_cast<std::uint32_t>(v >> 32));
}
void putId(Bytes &b, std::size_t pos, const char *id)
{
    std::memcpy(&b[pos], id, 4);
}

// Position of the first chunk header with this id (or of the LIST/RIFF whose type it is),
// found by a plain byte search: good enough for the small headers of the fixtures.
std::size_t find(const Bytes &b, const char *id, std::size_t from = 0)
{
    const auto it = std::search(b.begin() + static_cast<std::ptrdiff_t>(from), b.end(), id, id + 4);
    if (it == b.end())
        throw std::runtime_error(std::string("no ") + id);
    return static_cast<std::size_t>(it - b.begin());
}

std::unique_ptr<DvFrameReader> openOk(const std::filesystem::path &path)
{
    auto result = DvFrameReader::open(path);
    if (!result) {
        ADD_FAILURE() << path << ": " << result.error().message;
        return nullptr;
    }
    return std::move(result).value();
}

// Every frame of the reader equals the tape's frame with the same number (missing = a tape
// frame the reader is expected to skip).
void expectFramesFromTape(DvFrameReader &reader, const Bytes &tape, std::size_t expected, int missing = -1)
{
    ASSERT_EQ(reader.frameCount(), expected);
    Bytes frame;
    for (std::size_t i = 0; i < reader.frameCount(); ++i) {
        const std::size_t t = missing >= 0 && i >= static_cast<std::size_t>(missing) ? i + 1 : i;
        ASSERT_TRUE(reader.readFrame(i, frame)) << "frame " << i;
        ASSERT_GE(tape.size(), (t + 1) * frame.size());
        ASSERT_TRUE(
            std::equal(frame.begin(), frame.end(), tape.begin() + static_cast<std::ptrdiff_t>(t * frame.size())))
            << "frame " << i << " differs from tape frame " << t;
    }
}

std::vector<SampleEntry> framesOf(const DvFrameReader &reader)
{
    std::vector<SampleEntry> frames;
    for (std::size_t i = 0; i < reader.frameCount(); ++i)
        frames.push_back(reader.frame(i));
    return frames;
}

// The idx1 chunk right after the movi list of the first RIFF.
std::size_t idx1Pos(const Bytes &b)
{
    const std::size_t movi = find(b, "movi") - 8;
    const std::uint32_t size = get32(b, movi + 4);
    return movi + 8 + size + (size & 1);
}

// ---------------------------------------------------------------------------------------
// Files written by dvgrab and ffmpeg

struct WrappedFile {
    const char *avi;
    const char *tape;
    std::size_t frames;
    IndexSource source;
    std::vector<const char *> streamTypes;
};

void PrintTo(const WrappedFile &f, std::ostream *os)
{
    *os << f.avi;
}

class WrappedFiles : public ::testing::TestWithParam<WrappedFile> {};

TEST_P(WrappedFiles, FramesEqualTheTapeAndFfprobe)
{
    const WrappedFile &param = GetParam();
    const auto reader = openOk(fixturePath(param.avi));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->container(), ContainerKind::Avi);
    EXPECT_EQ(reader->indexSource(), param.source);
    ASSERT_EQ(reader->streams().size(), param.streamTypes.size());
    for (std::size_t s = 0; s < param.streamTypes.size(); ++s)
        EXPECT_EQ(reader->streams()[s].type.toString(), param.streamTypes[s]);
    EXPECT_EQ(reader->dvStream(), 0);

    expectFramesFromTape(*reader, test::readBytes(fixturePath(param.tape)), param.frames);

    const auto packets = ffprobeVideoPackets(fixturePath(param.avi));
    if (!packets)
        GTEST_SKIP() << "ffprobe not available";
    EXPECT_EQ(framesOf(*reader), *packets);
}

TEST_P(WrappedFiles, OpeningReadsOnlyHeadersAndIndexes)
{
    const auto reader = openOk(fixturePath(GetParam().avi));
    ASSERT_TRUE(reader);
    // dvgrab reserves 32 KB per standard index and per super index; the frames are MBs.
    EXPECT_LT(reader->bytesRead(), 200'000u);
    std::array<std::uint8_t, 480> prefix{};
    const std::uint64_t before = reader->bytesRead();
    ASSERT_EQ(reader->readFramePrefix(reader->frameCount() - 1, prefix), prefix.size());
    EXPECT_EQ(reader->bytesRead() - before, prefix.size());
    EXPECT_EQ(prefix[0] & 0xE0, 0) << "a frame starts with its DIF header block";
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, WrappedFiles,
    ::testing::Values(
        WrappedFile{"tape_three-type1.avi", "tape_three.dv", 125, IndexSource::OpenDml, {"iavs"}},
        WrappedFile{"tape_three-type2.avi", "tape_three.dv", 125, IndexSource::OpenDml, {"vids", "auds"}},
        WrappedFile{"tape_three-opendml.avi", "tape_three.dv", 125, IndexSource::OpenDml, {"iavs"}},
        WrappedFile{"ntsc_4x3_48k-type1.avi", "ntsc_4x3_48k.dv", 29, IndexSource::OpenDml, {"iavs"}},
        WrappedFile{"ntsc_4x3_48k-type2.avi", "ntsc_4x3_48k.dv", 29, IndexSource::OpenDml, {"vids", "auds"}},
        WrappedFile{"ntsc_4x3_48k-opendml.avi", "ntsc_4x3_48k.dv", 29, IndexSource::OpenDml, {"iavs"}},
        WrappedFile{"pal_16x9_32k-type1.avi", "pal_16x9_32k.dv", 25, IndexSource::OpenDml, {"iavs"}},
        WrappedFile{"pal_16x9_32k-type2.avi", "pal_16x9_32k.dv", 25, IndexSource::OpenDml, {"vids", "auds"}},
        WrappedFile{"pal_16x9_32k-opendml.avi", "pal_16x9_32k.dv", 25, IndexSource::OpenDml, {"iavs"}},
        // ffmpeg reserves room for an OpenDML index but writes only idx1 in small files.
        WrappedFile{"ntsc_nodate-ffmpeg.avi", "ntsc_nodate.dv", 30, IndexSource::Idx1, {"vids"}}),
    [](const auto &info) {
        std::string name = info.param.avi;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

TEST(AviFrameReader, Type2AudioTableHoldsEveryAudioChunk)
{
    const auto path = fixturePath("tape_three-type2.avi");
    const auto reader = openOk(path);
    ASSERT_TRUE(reader);
    const auto &audio = reader->streams()[1].samples;
    // dvgrab writes one audio chunk per frame: 1920 stereo 16-bit samples at 25 fps.
    ASSERT_EQ(audio.size(), 125u);
    for (const SampleEntry &e : audio) {
        std::array<std::uint8_t, 8> head{};
        ASSERT_EQ(reader->readAt(e.offset - 8, head), 8u);
        EXPECT_EQ(std::string(head.begin(), head.begin() + 4), "01wb");
        EXPECT_EQ(head[4] | head[5] << 8 | head[6] << 16 | head[7] << 24, static_cast<int>(e.size));
        EXPECT_EQ(e.size, 7680u);
    }
}

TEST(AviFrameReader, RealCamcorderFramesRewrappedByDvgrab)
{
    const auto tapePath = test::requireSample("ntsc43_sony-digital8_2024_5frames.dv");
    if (tapePath.empty())
        return;
    const Bytes tape = test::readBytes(tapePath);
    for (const char *name : {"rewrapped/ntsc43_sony-digital8_2024_5frames_dvgrab-type1.avi",
                             "rewrapped/ntsc43_sony-digital8_2024_5frames_dvgrab-type2.avi"}) {
        SCOPED_TRACE(name);
        const auto path = test::requireSample(name);
        if (path.empty())
            return;
        const auto reader = openOk(path);
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->indexSource(), IndexSource::OpenDml);
        expectFramesFromTape(*reader, tape, 5);
        if (const auto packets = ffprobeVideoPackets(path)) {
            EXPECT_EQ(framesOf(*reader), *packets);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Damaged copies

struct Damage {
    const char *name;
    const char *file;
    std::function<void(Bytes &)> apply;
    // Expected outcome: an open error, or a source and the tape frames read.
    std::optional<ReadErrorCode> error;
    IndexSource source = IndexSource::OpenDml;
    std::size_t frames = 0;
    int missingTapeFrame = -1;
};

void PrintTo(const Damage &d, std::ostream *os)
{
    *os << d.name;
}

// Offset of a frame chunk header in movi (dvgrab type 1: ix00 of 32256 bytes, then frames).
std::size_t dvgrabFrameHeader(const Bytes &b, std::size_t frame)
{
    return find(b, "movi") + 4 + 32256 + frame * (kPal + 8);
}

void removeChunk(Bytes &b, const char *id)
{
    putId(b, find(b, id), "JUNK");
}

// Entries are 16 bytes: id, flags, offset, size.
void forEachIdx1Entry(Bytes &b, const std::function<void(std::size_t)> &f)
{
    const std::size_t start = idx1Pos(b);
    const std::uint32_t size = get32(b, start + 4);
    for (std::size_t pos = start + 8; pos + 16 <= start + 8 + size; pos += 16)
        f(pos);
}

void removeIdx1(Bytes &b)
{
    putId(b, idx1Pos(b), "JUNK");
}

class DamagedFiles : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFiles, GiveTheFramesThatAreStillThere)
{
    const Damage &d = GetParam();
    Bytes bytes = test::readBytes(fixturePath(d.file));
    d.apply(bytes);
    const auto path = test::scratchDir("AviDamaged") / d.file;
    test::writeBytes(path, bytes);

    auto result = DvFrameReader::open(path);
    if (d.error) {
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().code, *d.error);
        EXPECT_NE(result.error().message.find(path.string()), std::string::npos) << result.error().message;
        return;
    }
    ASSERT_TRUE(result) << result.error().message;
    auto &reader = *result.value();
    EXPECT_EQ(reader.indexSource(), d.source);
    EXPECT_LT(reader.bytesRead(), 200'000u) << "opening reads headers and indexes, not frames";
    const char *tape = std::string(d.file).find("ffmpeg") != std::string::npos ? "ntsc_nodate.dv" : "tape_three.dv";
    expectFramesFromTape(reader, test::readBytes(fixturePath(tape)), d.frames, d.missingTapeFrame);
}

const std::vector<Damage> &damages()
{
    static const std::vector<Damage> cases = {
        // idx1 only (ffmpeg)
        {"Idx1OffsetsOutsideTheFile", "ntsc_nodate-ffmpeg.avi",
         [](Bytes &b) { forEachIdx1Entry(b, [&](std::size_t e) { put32(b, e + 8, 0xF0000000u + get32(b, e + 8)); }); },
         std::nullopt, IndexSource::MoviWalk, 30},
        {"Idx1ZeroSizes", "ntsc_nodate-ffmpeg.avi",
         [](Bytes &b) { forEachIdx1Entry(b, [&](std::size_t e) { put32(b, e + 12, 0); }); }, std::nullopt,
         IndexSource::MoviWalk, 30},
        {"Idx1OffsetsShifted", "ntsc_nodate-ffmpeg.avi",
         [](Bytes &b) { forEachIdx1Entry(b, [&](std::size_t e) { put32(b, e + 8, get32(b, e + 8) + 1000); }); },
         std::nullopt, IndexSource::MoviWalk, 30},
        {"Idx1AbsoluteOffsets", "ntsc_nodate-ffmpeg.avi",
         [](Bytes &b) {
             const std::uint32_t movi = static_cast<std::uint32_t>(find(b, "movi"));
             forEachIdx1Entry(b, [&](std::size_t e) { put32(b, e + 8, get32(b, e + 8) + movi); });
         },
         std::nullopt, IndexSource::Idx1, 30},
        {"Idx1Removed", "ntsc_nodate-ffmpeg.avi", [](Bytes &b) { removeIdx1(b); }, std::nullopt, IndexSource::MoviWalk,
         30},
        // The frames after the last indexed one are walked.
        {"Idx1ListsOnlyHalfTheFrames", "ntsc_nodate-ffmpeg.avi", [](Bytes &b) { put32(b, idx1Pos(b) + 4, 15 * 16); },
         std::nullopt, IndexSource::Idx1, 30},
        {"NotDvHandlerButDvSizedFrames", "ntsc_nodate-ffmpeg.avi",
         [](Bytes &b) {
             const std::size_t strh = find(b, "strh");
             putId(b, strh + 12, "XVID");
             putId(b, find(b, "strf") + 8 + 16, "XVID");
         },
         std::nullopt, IndexSource::Idx1, 30},
        // OpenDML and idx1 (dvgrab type 1)
        {"IndxRemoved", "tape_three-type1.avi", [](Bytes &b) { removeChunk(b, "indx"); }, std::nullopt,
         IndexSource::Idx1, 125},
        {"IndxAndIdx1Removed", "tape_three-type1.avi",
         [](Bytes &b) {
             removeChunk(b, "indx");
             removeIdx1(b);
         },
         std::nullopt, IndexSource::MoviWalk, 125},
        {"SuperIndexPointsPastTheEnd", "tape_three-type1.avi",
         [](Bytes &b) { put64(b, find(b, "indx") + 8 + 24, 0x7FFFFFFF0000ull); }, std::nullopt, IndexSource::Idx1, 125},
        {"SuperIndexChunkSizeHuge", "tape_three-type1.avi",
         [](Bytes &b) { put32(b, find(b, "indx") + 8 + 24 + 8, 0x7FFFFFFFu); }, std::nullopt, IndexSource::OpenDml,
         125},
        {"SuperIndexEntryCountHuge", "tape_three-type1.avi",
         [](Bytes &b) { put32(b, find(b, "indx") + 8 + 4, 0xFFFFFFFFu); }, std::nullopt, IndexSource::OpenDml, 125},
        {"SuperIndexEntriesRepeated", "tape_three-type1.avi",
         [](Bytes &b) {
             const std::size_t indx = find(b, "indx") + 8;
             put32(b, indx + 4, 1000);
             for (std::size_t i = 1; i < 1000; ++i)
                 std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(indx + 24), 16,
                             b.begin() + static_cast<std::ptrdiff_t>(indx + 24 + 16 * i));
         },
         std::nullopt, IndexSource::OpenDml, 125},
        {"StandardIndexBaseShifted", "tape_three-type1.avi",
         [](Bytes &b) {
             const std::size_t ix = find(b, "ix00") + 8;
             put64(b, ix + 12, 0x1000 + get32(b, ix + 12));
         },
         std::nullopt, IndexSource::Idx1, 125},
        {"StandardIndexEntryCountHuge", "tape_three-type1.avi",
         [](Bytes &b) { put32(b, find(b, "ix00") + 8 + 4, 0xFFFFFFFFu); }, std::nullopt, IndexSource::Idx1, 125},
        {"StandardIndexNotAnIndex", "tape_three-type1.avi", [](Bytes &b) { b[find(b, "ix00") + 8 + 3] = 0x7F; },
         std::nullopt, IndexSource::Idx1, 125},
        {"StandardIndexOffsetsGarbage", "tape_three-type1.avi",
         [](Bytes &b) {
             const std::size_t ix = find(b, "ix00") + 8;
             for (std::size_t i = 0; i < 125; ++i)
                 put32(b, ix + 24 + 8 * i, static_cast<std::uint32_t>(i * 7919 + 3));
         },
         std::nullopt, IndexSource::Idx1, 125},
        {"AllIndexesGarbage", "tape_three-type1.avi",
         [](Bytes &b) {
             const std::size_t ix = find(b, "ix00") + 8;
             for (std::size_t i = 0; i < 125; ++i)
                 put32(b, ix + 24 + 8 * i, 0xFFFFFFF0u);
             forEachIdx1Entry(b, [&](std::size_t e) { put32(b, e + 12, 0); });
         },
         std::nullopt, IndexSource::MoviWalk, 125},
        {"RiffSizeNeverWritten", "tape_three-type1.avi", [](Bytes &b) { put32(b, 4, 0); }, std::nullopt,
         IndexSource::OpenDml, 125},
        {"RiffAndMoviSizesNeverWritten", "tape_three-type1.avi",
         [](Bytes &b) {
             removeChunk(b, "indx");
             removeIdx1(b);
             put32(b, 4, 0);
             put32(b, find(b, "movi") - 4, 0);
         },
         std::nullopt, IndexSource::MoviWalk, 125},
        {"MoviSizeHuge", "tape_three-type1.avi", [](Bytes &b) { put32(b, find(b, "movi") - 4, 0xFFFFFFF0u); },
         std::nullopt, IndexSource::OpenDml, 125},
        // A chunk whose size runs past its list: the index still finds every frame...
        {"OverrunningChunkWithIndex", "tape_three-type1.avi",
         [](Bytes &b) { put32(b, dvgrabFrameHeader(b, 40) + 4, 0x7FFFFFF0u); }, std::nullopt, IndexSource::OpenDml,
         125},
        // ...the walk stops before it.
        {"OverrunningChunkWithoutIndex", "tape_three-type1.avi",
         [](Bytes &b) {
             removeChunk(b, "indx");
             removeIdx1(b);
             put32(b, dvgrabFrameHeader(b, 40) + 4, 0x7FFFFFF0u);
         },
         std::nullopt, IndexSource::MoviWalk, 40},
        {"GarbageChunkHeaderWithoutIndex", "tape_three-type1.avi",
         [](Bytes &b) {
             removeChunk(b, "indx");
             removeIdx1(b);
             std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(dvgrabFrameHeader(b, 70)), 8, 0);
         },
         std::nullopt, IndexSource::MoviWalk, 70},
        {"FrameChunkRenamedWithoutIndex", "tape_three-type1.avi",
         [](Bytes &b) {
             removeChunk(b, "indx");
             removeIdx1(b);
             putId(b, dvgrabFrameHeader(b, 10), "JUNK");
         },
         std::nullopt, IndexSource::MoviWalk, 124, 10},
        // Type 2 without a DV handler code: its 144000-byte samples make it the DV stream.
        {"Type2VideoHandlerUnknown", "tape_three-type2.avi",
         [](Bytes &b) {
             putId(b, find(b, "strh") + 12, "XXXX");
             putId(b, find(b, "strf") + 8 + 16, "XXXX");
         },
         std::nullopt, IndexSource::OpenDml, 125},
        {"Type2VideoIndexRemoved", "tape_three-type2.avi", [](Bytes &b) { removeChunk(b, "indx"); }, std::nullopt,
         IndexSource::Idx1, 125},
        // Failures
        {"NoVideoStream", "tape_three-type1.avi", [](Bytes &b) { putId(b, find(b, "iavs"), "txts"); },
         ReadErrorCode::NoDvStream},
        {"Type2VideoIsNotDv", "tape_three-type2.avi", [](Bytes &b) { putId(b, find(b, "vids"), "txts"); },
         ReadErrorCode::NoDvStream},
        {"RiffOfAnotherType", "tape_three-type1.avi", [](Bytes &b) { putId(b, 8, "WAVE"); }, ReadErrorCode::NotAvi},
        {"NotRiffAtAll", "tape_three-type1.avi", [](Bytes &b) { putId(b, 0, "RIFX"); }, ReadErrorCode::NotAvi},
        {"HeaderListGone", "tape_three-type1.avi", [](Bytes &b) { putId(b, find(b, "hdrl"), "junk"); },
         ReadErrorCode::NoDvStream},
    };
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedFiles, ::testing::ValuesIn(damages()),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// OpenDML files of several RIFFs, built here from the frames of a tape

struct BuildOptions {
    std::size_t firstPart = 50; // frames in the RIFF AVI; the rest go into one AVIX
    int superIndexEntries = 2;  // 0: no indx; 1: the AVIX part is missing from it
    bool idx1 = true;
    bool idx1Absolute = false;
    bool recLists = false;
    bool beyond4GiB = false; // a sparse AVIX of almost 4 GiB before the last part
};

// A built file; the hole (zeros, left sparse on disk) lies before bytes[holeAt].
struct BuiltAvi {
    Bytes bytes;
    std::size_t holeAt = 0;
    std::uint64_t holeSize = 0;
};

void writeBuilt(const std::filesystem::path &path, const BuiltAvi &built)
{
    if (built.holeSize == 0) {
        test::writeBytes(path, built.bytes);
        return;
    }
    test::writeBytes(path, Bytes(built.bytes.begin(), built.bytes.begin() + static_cast<std::ptrdiff_t>(built.holeAt)));
    std::filesystem::resize_file(path, built.holeAt + built.holeSize);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char *>(built.bytes.data() + built.holeAt),
              static_cast<std::streamsize>(built.bytes.size() - built.holeAt));
    ASSERT_TRUE(out.good());
}

class AviWriter {
public:
    std::size_t begin(const char *id, const char *type = nullptr)
    {
        const std::size_t pos = m_b.size();
        id4(id);
        u32(0);
        if (type)
            id4(type);
        return pos;
    }
    void end(std::size_t pos)
    {
        put32(m_b, pos + 4, static_cast<std::uint32_t>(filePos(m_b.size()) - filePos(pos) - 8));
        if (m_b.size() % 2)
            m_b.push_back(0);
    }
    void hole(std::uint64_t size)
    {
        m_holeAt = m_b.size();
        m_holeSize = size;
    }
    std::uint64_t filePos(std::size_t index) const { return index + (index >= m_holeAt ? m_holeSize : 0); }
    BuiltAvi take() { return {std::move(m_b), m_holeAt, m_holeSize}; }
    void id4(const char *id) { m_b.insert(m_b.end(), id, id + 4); }
    void u32(std::uint32_t v)
    {
        m_b.resize(m_b.size() + 4);
        put32(m_b, m_b.size() - 4, v);
    }
    void zeros(std::size_t n) { m_b.resize(m_b.size() + n); }
    Bytes &bytes() { return m_b; }

private:
    Bytes m_b;
    std::size_t m_holeAt = ~std::size_t{0};
    std::uint64_t m_holeSize = 0;
};

BuiltAvi buildOpenDml(const Bytes &tape, std::size_t frameCount, const BuildOptions &opt)
{
    AviWriter w;
    Bytes &b = w.bytes();
    const std::size_t riff = w.begin("RIFF", "AVI ");
    const std::size_t hdrl = w.begin("LIST", "hdrl");
    const std::size_t avih = w.begin("avih");
    w.u32(40000);
    w.zeros(8);
    w.u32(0x10); // AVIF_HASINDEX
    w.u32(static_cast<std::uint32_t>(opt.firstPart));
    w.u32(0);
    w.u32(1);
    w.u32(kPal);
    w.u32(720);
    w.u32(576);
    w.zeros(16);
    w.end(avih);
    const std::size_t strl = w.begin("LIST", "strl");
    const std::size_t strh = w.begin("strh");
    w.id4("iavs");
    w.id4("dvsd");
    w.zeros(12);
    w.u32(1);  // scale
    w.u32(25); // rate
    w.u32(0);
    w.u32(static_cast<std::uint32_t>(frameCount));
    w.u32(kPal);
    w.u32(0xFFFFFFFFu);
    w.zeros(12);
    w.end(strh);
    const std::size_t strf = w.begin("strf");
    w.zeros(32);
    w.end(strf);
    std::size_t superEntries = 0;
    if (opt.superIndexEntries > 0) {
        const std::size_t indx = w.begin("indx");
        w.u32(4); // wLongsPerEntry 4, sub type 0, AVI_INDEX_OF_INDEXES
        w.u32(static_cast<std::uint32_t>(opt.superIndexEntries));
        w.id4("00__");
        w.zeros(12);
        superEntries = b.size();
        w.zeros(16 * 4);
        w.end(indx);
    }
    w.end(strl);
    const std::size_t odml = w.begin("LIST", "odml");
    const std::size_t dmlh = w.begin("dmlh");
    w.u32(static_cast<std::uint32_t>(frameCount));
    w.zeros(244);
    w.end(dmlh);
    w.end(odml);
    w.end(hdrl);

    std::vector<std::size_t> headers;
    std::size_t firstMoviType = 0;
    auto writeMovi = [&](std::size_t from, std::size_t to, int part) {
        const std::size_t movi = w.begin("LIST", "movi");
        if (part == 0)
            firstMoviType = movi + 8;
        const std::size_t ix = w.begin("ix00");
        w.u32(2 | 0x01000000); // wLongsPerEntry 2, sub type 0, AVI_INDEX_OF_CHUNKS
        w.u32(static_cast<std::uint32_t>(to - from));
        w.id4("00__");
        const std::size_t baseField = b.size();
        w.zeros(12);
        const std::size_t entries = b.size();
        w.zeros(8 * (to - from));
        w.end(ix);
        // The base is the movi list itself, as some writers have it (dvgrab uses the first chunk).
        put64(b, baseField, w.filePos(movi));
        for (std::size_t f = from; f < to; ++f) {
            const std::size_t rec = opt.recLists ? w.begin("LIST", "rec ") : 0;
            const std::size_t chunk = w.begin("00__");
            headers.push_back(chunk);
            b.insert(b.end(), tape.begin() + static_cast<std::ptrdiff_t>(f * kPal),
                     tape.begin() + static_cast<std::ptrdiff_t>((f + 1) * kPal));
            w.end(chunk);
            if (opt.recLists)
                w.end(rec);
            put32(b, entries + 8 * (f - from), static_cast<std::uint32_t>(chunk + 8 - movi));
            put32(b, entries + 8 * (f - from) + 4, kPal);
        }
        w.end(movi);
        if (superEntries && part < opt.superIndexEntries) {
            put64(b, superEntries + 16 * part, w.filePos(ix));
            put32(b, superEntries + 16 * part + 8, get32(b, ix + 4) + 8);
            put32(b, superEntries + 16 * part + 12, static_cast<std::uint32_t>(to - from));
        }
    };
    writeMovi(0, opt.firstPart, 0);
    if (opt.idx1) {
        const std::size_t idx1 = w.begin("idx1");
        for (std::size_t f = 0; f < opt.firstPart; ++f) {
            w.id4("00__");
            w.u32(0x10);
            w.u32(static_cast<std::uint32_t>(opt.idx1Absolute ? headers[f] : headers[f] - firstMoviType));
            w.u32(kPal);
        }
        w.end(idx1);
    }
    w.end(riff);
    if (opt.beyond4GiB) {
        const std::size_t gap = w.begin("RIFF", "AVIX");
        const std::size_t movi = w.begin("LIST", "movi");
        const std::size_t junk = w.begin("JUNK");
        w.hole(0xFFFFFF00u - 24);
        w.end(junk);
        w.end(movi);
        w.end(gap);
    }
    const std::size_t avix = w.begin("RIFF", "AVIX");
    writeMovi(opt.firstPart, frameCount, 1);
    w.end(avix);
    return w.take();
}

struct MultiRiff {
    const char *name;
    BuildOptions options;
    IndexSource source;
};

void PrintTo(const MultiRiff &m, std::ostream *os)
{
    *os << m.name;
}

class MultiRiffFiles : public ::testing::TestWithParam<MultiRiff> {};

TEST_P(MultiRiffFiles, ReadEveryFrameOfEveryRiff)
{
    const Bytes tape = test::readBytes(fixturePath("tape_three.dv"));
    const MultiRiff &param = GetParam();
    const auto path = test::scratchDir("AviMultiRiff") / (std::string(param.name) + ".avi");
    writeBuilt(path, buildOpenDml(tape, 125, param.options));

    const auto reader = openOk(path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->indexSource(), param.source);
    expectFramesFromTape(*reader, tape, 125);
    if (param.options.beyond4GiB) {
        EXPECT_GT(reader->frame(124).offset, 0x100000000u);
    }
    if (const auto packets = ffprobeVideoPackets(path); packets) {
        EXPECT_EQ(framesOf(*reader), *packets);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Built, MultiRiffFiles,
    ::testing::Values(MultiRiff{"SuperIndexOverBothRiffs", {}, IndexSource::OpenDml},
                      MultiRiff{"SuperIndexMissingTheAvixPart", {50, 1}, IndexSource::OpenDml},
                      MultiRiff{"Idx1AndAvixWalk", {50, 0}, IndexSource::Idx1},
                      MultiRiff{"Idx1AbsoluteOffsets", {50, 0, true, true}, IndexSource::Idx1},
                      MultiRiff{"NoIndexAtAll", {50, 0, false}, IndexSource::MoviWalk},
                      MultiRiff{"RecListsNoIndex", {50, 0, false, false, true}, IndexSource::MoviWalk},
                      MultiRiff{"RecListsSuperIndex", {70, 2, true, false, true}, IndexSource::OpenDml},
                      // 64-bit offsets everywhere: the last part starts past 4 GiB (a sparse file).
                      MultiRiff{"Beyond4GiBSuperIndex", {50, 2, true, false, false, true}, IndexSource::OpenDml},
                      MultiRiff{"Beyond4GiBIdx1AndWalk", {50, 0, true, false, false, true}, IndexSource::Idx1},
                      MultiRiff{"Beyond4GiBNoIndex", {50, 0, false, false, false, true}, IndexSource::MoviWalk}),
    [](const auto &info) { return std::string(info.param.name); });

// Truncated copies yield exactly the whole frames before the cut, byte-identical to the tape:
// cuts in the headers, in the indexes, at and around frame boundaries, inside AVIX parts.
void expectTruncationsKeepTheWholeFrames(const std::filesystem::path &copy, const Bytes &original, const Bytes &tape)
{
    test::writeBytes(copy, original);
    const auto intact = openOk(copy);
    ASSERT_TRUE(intact);
    const std::vector<SampleEntry> frames = framesOf(*intact);
    ASSERT_FALSE(frames.empty());

    std::vector<std::uint64_t> cuts = {12, 30, 100, 150, 220, 400, 32500, original.size() - 1};
    for (const char *marker : {"RIFF", "LIST", "movi", "ix00", "ix01", "idx1", "indx"}) {
        for (auto it = original.begin(); (it = std::search(it, original.end(), marker, marker + 4)) != original.end();
             ++it) {
            const auto pos = static_cast<std::uint64_t>(it - original.begin());
            cuts.insert(cuts.end(), {pos, pos + 4, pos + 8, pos + 30, pos + 100});
        }
    }
    const std::size_t n = frames.size();
    for (const std::size_t k : {std::size_t{0}, std::size_t{1}, n / 3, n / 2, 2 * n / 3, n - 1}) {
        const SampleEntry &e = frames[k];
        cuts.insert(cuts.end(), {e.offset - 8, e.offset - 1, e.offset, e.offset + 480, e.offset + e.size - 1,
                                 e.offset + e.size, e.offset + e.size + 1});
    }
    for (std::size_t k = 1; k < 23; ++k)
        cuts.push_back(original.size() * k / 23);
    std::sort(cuts.begin(), cuts.end(), std::greater<>());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    for (const std::uint64_t cut : cuts) {
        if (cut >= original.size())
            continue;
        SCOPED_TRACE("cut at " + std::to_string(cut));
        std::filesystem::resize_file(copy, cut);
        const std::size_t whole = static_cast<std::size_t>(std::count_if(
            frames.begin(), frames.end(), [&](const SampleEntry &e) { return e.offset + e.size <= cut; }));
        auto result = DvFrameReader::open(copy);
        if (!result) {
            // Cut before the RIFF type, or before the first stream header: nothing tells
            // what the file holds.
            EXPECT_EQ(result.error().code, cut < 12 ? ReadErrorCode::NotAvi : ReadErrorCode::NoDvStream)
                << result.error().message;
            EXPECT_LT(cut, 200u);
            continue;
        }
        expectFramesFromTape(*result.value(), tape, whole);
        for (const auto &stream : result.value()->streams()) {
            for (const SampleEntry &e : stream.samples)
                ASSERT_LE(e.offset + e.size, cut);
        }
    }
}

TEST(AviFrameReaderDamage, TruncatedCopiesYieldTheWholeFramesBeforeTheCut)
{
    const Bytes tape = test::readBytes(fixturePath("tape_three.dv"));
    const auto dir = test::scratchDir("AviTruncated");
    for (const char *name : {"tape_three-type1.avi", "tape_three-type2.avi"}) {
        SCOPED_TRACE(name);
        expectTruncationsKeepTheWholeFrames(dir / name, test::readBytes(fixturePath(name)), tape);
    }
    {
        SCOPED_TRACE("ffmpeg");
        expectTruncationsKeepTheWholeFrames(dir / "ffmpeg.avi", test::readBytes(fixturePath("ntsc_nodate-ffmpeg.avi")),
                                            test::readBytes(fixturePath("ntsc_nodate.dv")));
    }
    for (const int superIndexEntries : {2, 0}) {
        SCOPED_TRACE("two RIFFs, super index entries: " + std::to_string(superIndexEntries));
        BuildOptions options;
        options.superIndexEntries = superIndexEntries;
        expectTruncationsKeepTheWholeFrames(dir / "multi.avi", buildOpenDml(tape, 125, options).bytes, tape);
    }
}

// Random values written over the fields the reader relies on (chunk headers, stream
// headers, index headers and entries, frame chunk headers): whatever comes out, the reader
// never crashes, never lists a sample outside the file and never reads more than the file.
TEST(AviFrameReaderDamage, RandomDamageStaysInsideTheFile)
{
    const auto name = fixturePath("ntsc_4x3_48k-type2.avi");
    const Bytes original = test::readBytes(name);
    const auto intact = openOk(name);
    ASSERT_TRUE(intact);
    std::vector<std::pair<std::size_t, std::size_t>> ranges = {{0, 300}};
    for (const char *id : {"indx", "ix00", "ix01"}) {
        for (auto it = original.begin(); (it = std::search(it, original.end(), id, id + 4)) != original.end(); ++it) {
            const auto pos = static_cast<std::size_t>(it - original.begin());
            ranges.push_back({pos, pos + 8 + 24 + 30 * 16});
        }
    }
    ranges.push_back({idx1Pos(original), original.size()});
    for (const auto &stream : intact->streams()) {
        for (const SampleEntry &e : stream.samples)
            ranges.push_back({e.offset - 8, e.offset});
    }

    std::uint32_t x = 2024;
    auto next = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    const auto path = test::scratchDir("AviRandomDamage") / "damaged.avi";
    std::array<int, 4> sources{};
    int failures = 0;
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = original;
        const int hits = 1 + static_cast<int>(next() % 10);
        for (int h = 0; h < hits; ++h) {
            const auto &[from, to] = ranges[next() % ranges.size()];
            const std::size_t pos = std::min(from + (next() % (to - from)) / 4 * 4, bytes.size() - 4);
            static constexpr std::uint32_t kValues[] = {0, 1, 8, 0x7FFFFFFF, 0xFFFFFFFF, 144000, 120000, 0x10000};
            put32(bytes, pos, next() % 2 ? kValues[next() % 8] : get32(bytes, pos) ^ (1u << (next() % 32)));
        }
        test::writeBytes(path, bytes);
        SCOPED_TRACE("round " + std::to_string(round));
        auto result = DvFrameReader::open(path);
        if (!result) {
            ++failures;
            continue;
        }
        const auto &reader = *result.value();
        ++sources[static_cast<std::size_t>(reader.indexSource())];
        EXPECT_LE(reader.bytesRead(), bytes.size());
        for (const auto &stream : reader.streams()) {
            for (const SampleEntry &e : stream.samples) {
                ASSERT_GT(e.size, 0u);
                ASSERT_LE(e.offset + e.size, bytes.size());
            }
        }
    }
    // The damage reaches the fallback and the refusals.
    EXPECT_GT(sources[static_cast<std::size_t>(IndexSource::Idx1)], 0);
    EXPECT_GT(failures, 0);
}

// ---------------------------------------------------------------------------------------
// Files that are no DV AVI at all

TEST(AviFrameReader, FilesThatCannotBeRead)
{
    const auto dir = test::scratchDir("AviBadFiles");
    Bytes garbage(100000);
    std::uint32_t x = 12345;
    for (auto &byte : garbage) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(x >> 24);
    }
    garbage[0] = 0xFF; // not a DIF header by chance
    test::writeBytes(dir / "garbage.avi", garbage);
    test::writeBytes(dir / "empty.avi", {});
    test::writeBytes(dir / "riff-only.avi", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '});
    test::writeBytes(dir / "short.avi", {'R', 'I', 'F'});
    std::filesystem::create_directories(dir / "folder.avi");
    ASSERT_EQ(::mkfifo((dir / "pipe.avi").c_str(), 0600), 0); // opening must not wait for a writer

    const struct {
        const char *name;
        ReadErrorCode code;
    } cases[] = {
        {"garbage.avi", ReadErrorCode::NotAvi},       {"empty.avi", ReadErrorCode::NotAvi},
        {"riff-only.avi", ReadErrorCode::NoDvStream}, {"short.avi", ReadErrorCode::NotAvi},
        {"folder.avi", ReadErrorCode::Unreadable},    {"missing.avi", ReadErrorCode::NotFound},
        {"pipe.avi", ReadErrorCode::Unreadable},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = DvFrameReader::open(dir / c.name);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().code, c.code);
        EXPECT_NE(result.error().message.find(c.name), std::string::npos) << result.error().message;
    }
    EXPECT_EQ(DvFrameReader::open(dir / "no-such-folder" / "x.avi").error().code, ReadErrorCode::NotFound);
}

TEST(AviFrameReader, GarbageAfterAValidHeaderNeverReadsOutsideTheFile)
{
    // Random bytes in place of the movi and index: whatever the reader finds lies in the file.
    Bytes bytes = test::readBytes(fixturePath("tape_three-type2.avi"));
    const std::size_t movi = find(bytes, "movi");
    std::uint32_t x = 99;
    for (std::size_t i = movi + 4; i < bytes.size(); ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<std::uint8_t>(x >> 24);
    }
    const auto path = test::scratchDir("AviGarbageMovi") / "garbage-movi.avi";
    test::writeBytes(path, bytes);
    const auto reader = openOk(path);
    ASSERT_TRUE(reader);
    for (const auto &stream : reader->streams()) {
        for (const SampleEntry &e : stream.samples)
            EXPECT_LE(e.offset + e.size, bytes.size());
    }
    EXPECT_LT(reader->bytesRead(), 1'000'000u);
}

} // namespace
} // namespace camlog::media

namespace camlog::media {
namespace {

// ffmpeg's AVI writer marks pictures 10 to 12 as dropped with chunks without data: each stands
// for the picture before it, so the table keeps the file's 50 pictures at their places.
TEST(DroppedPictures, AChunkWithoutDataRepeatsThePictureBefore)
{
    auto reader = DvFrameReader::open(test::fixturePath("dropped_frames.avi"));
    ASSERT_TRUE(reader) << reader.error().message;
    DvFrameReader &r = *reader.value();
    ASSERT_EQ(r.frameCount(), 50u);
    for (std::size_t i = 10; i <= 12; ++i)
        EXPECT_EQ(r.frame(i), r.frame(9)) << i;
    EXPECT_NE(r.frame(13), r.frame(9));
    std::vector<std::uint8_t> frame;
    EXPECT_TRUE(r.readFrame(11, frame));
    EXPECT_EQ(frame.size(), 144000u);
}

} // namespace
} // namespace camlog::media
