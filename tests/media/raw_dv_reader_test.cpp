// Raw DV files: frames at fixed offsets, the DIF header as format probe, partial frames, reads.
#include "media/reading/dv_frame_reader.h"

#include "media_test_support.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>

namespace camlog::media {
namespace {

using test::ffprobeVideoPackets;
using test::fixturePath;
using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<DvFrameReader> openOk(const std::filesystem::path &path)
{
    auto result = DvFrameReader::open(path);
    if (!result) {
        ADD_FAILURE() << path << ": " << result.error().message;
        return nullptr;
    }
    return std::move(result).value();
}

struct RawFile {
    const char *name;
    std::size_t frames;
    std::uint32_t frameSize;
};

void PrintTo(const RawFile &f, std::ostream *os)
{
    *os << f.name;
}

class RawFiles : public ::testing::TestWithParam<RawFile> {};

TEST_P(RawFiles, FramesFollowEachOtherAndAgreeWithFfprobe)
{
    const RawFile &param = GetParam();
    const auto path = fixturePath(param.name);
    const auto reader = openOk(path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->container(), ContainerKind::RawDv);
    EXPECT_EQ(reader->indexSource(), IndexSource::FixedOffsets);
    ASSERT_EQ(reader->streams().size(), 1u);
    EXPECT_EQ(reader->streams()[0].type, core::fcc::iavs);
    EXPECT_EQ(reader->dvStream(), 0);
    ASSERT_EQ(reader->frameCount(), param.frames);
    EXPECT_EQ(reader->bytesRead(), 12u) << "opening reads the first bytes only";

    const Bytes file = test::readBytes(path);
    Bytes frame;
    for (std::size_t i = 0; i < reader->frameCount(); ++i) {
        ASSERT_EQ(reader->frame(i), (SampleEntry{i * param.frameSize, param.frameSize}));
        ASSERT_TRUE(reader->readFrame(i, frame));
        ASSERT_TRUE(
            std::equal(frame.begin(), frame.end(), file.begin() + static_cast<std::ptrdiff_t>(i * param.frameSize)));
    }
    if (const auto packets = ffprobeVideoPackets(path)) {
        std::vector<SampleEntry> frames;
        for (std::size_t i = 0; i < reader->frameCount(); ++i)
            frames.push_back(reader->frame(i));
        EXPECT_EQ(frames, *packets);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RawFiles,
                         ::testing::Values(RawFile{"tape_three.dv", 125, 144000}, RawFile{"pal_4x3_48k.dv", 50, 144000},
                                           RawFile{"pal_16x9_32k.dv", 25, 144000},
                                           RawFile{"ntsc_4x3_48k.dv", 29, 120000},
                                           RawFile{"ntsc_nodate.dv", 30, 120000}, RawFile{"tape_gap4.dv", 75, 144000}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(RawDvReader, RealCamcorderSamples)
{
    const struct {
        const char *name;
        std::size_t frames;
        std::uint32_t frameSize;
    } cases[] = {
        {"ntsc43_sony-digital8_2024_5frames.dv", 5, 120000},
        {"ntsc43_deck-capture_2005_empty-recdate_15frames.dv", 15, 120000},
        // Only the first 55 DIF blocks of a PAL frame: a file, but no whole frame.
        {"pal169_camcorder_2010_truncated-4400B.dv", 0, 144000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = test::requireSample(c.name);
        if (path.empty())
            return;
        const auto reader = openOk(path);
        ASSERT_TRUE(reader);
        ASSERT_EQ(reader->frameCount(), c.frames);
        for (std::size_t i = 0; i < c.frames; ++i)
            EXPECT_EQ(reader->frame(i), (SampleEntry{i * c.frameSize, c.frameSize}));
        Bytes frame;
        EXPECT_FALSE(reader->readFrame(c.frames, frame));
        EXPECT_TRUE(frame.empty());
    }
}

TEST(RawDvReader, RecognisedByContentOrByName)
{
    const auto dir = test::scratchDir("RawDvNames");
    const Bytes tape = test::readBytes(fixturePath("ntsc_4x3_48k.dv"));
    Bytes partial(tape.begin(), tape.begin() + 3 * 120000 + 70000);
    test::writeBytes(dir / "capture.bin", partial); // DIF header, no DV name
    test::writeBytes(dir / "EMPTY.DV", {});
    test::writeBytes(dir / "text.dv", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    test::writeBytes(dir / "text.dif", Bytes(300000, 0x20));

    const auto capture = openOk(dir / "capture.bin");
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->container(), ContainerKind::RawDv);
    EXPECT_EQ(capture->frameCount(), 3u) << "a trailing partial frame is not a frame";

    const auto empty = openOk(dir / "EMPTY.DV");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->frameCount(), 0u);

    for (const char *name : {"text.dv", "text.dif"}) {
        const auto result = DvFrameReader::open(dir / name);
        ASSERT_FALSE(result) << name;
        EXPECT_EQ(result.error().code, ReadErrorCode::NotAvi) << name;
    }
    EXPECT_EQ(DvFrameReader::open(dir / "missing.dv").error().code, ReadErrorCode::NotFound);
}

TEST(RawDvReader, ReadsStayInsideTheFileAndAreCounted)
{
    const auto path = fixturePath("pal_16x9_32k.dv");
    const auto reader = openOk(path);
    ASSERT_TRUE(reader);
    const std::uint64_t size = reader->fileSize();
    ASSERT_EQ(size, 25u * 144000u);
    std::uint64_t counted = reader->bytesRead();

    // The first 480 bytes of every frame (header, subcode, VAUX of sequence 0), one read each.
    std::array<std::uint8_t, 480> prefix{};
    for (std::size_t i = 0; i < reader->frameCount(); ++i) {
        ASSERT_EQ(reader->readFramePrefix(i, prefix), prefix.size());
        EXPECT_EQ(prefix[0] & 0xE0, 0);
        EXPECT_EQ(prefix[3], 0xBF) << "625/50 header block";
    }
    counted += 25 * prefix.size();
    EXPECT_EQ(reader->bytesRead(), counted);

    // A buffer larger than a frame is filled with one frame only.
    Bytes big(200000, 0xAA);
    EXPECT_EQ(reader->readFramePrefix(24, big), 144000u);
    EXPECT_EQ(big[144000], 0xAA);
    counted += 144000;
    EXPECT_EQ(reader->readFramePrefix(25, big), 0u);

    Bytes buf(1000);
    EXPECT_EQ(reader->readAt(size - 10, buf), 10u);
    EXPECT_EQ(reader->readAt(size, buf), 0u);
    EXPECT_EQ(reader->readAt(~std::uint64_t{0} - 5, buf), 0u);
    counted += 10;
    EXPECT_EQ(reader->bytesRead(), counted);

    EXPECT_EQ(reader->frame(25), SampleEntry{});
    Bytes frame(5);
    EXPECT_FALSE(reader->readFrame(25, frame));
}

} // namespace
} // namespace camlog::media
