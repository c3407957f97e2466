// The WAV writer: sizes in the header, a file that ffprobe reads, and no wrong file on failure.
#include "media/writing/wav_writer.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>

namespace camlog::media {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t> &b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Ten seconds of 48 kHz 16-bit stereo, written in frame-sized blocks.
TEST(WavWriter, TenSecondsOfStereoHaveTheirSizesInTheHeader)
{
    const auto path = test::scratchDir("wav") / "ten.wav";
    auto writer = WavWriter::create(path, {48000, 2, 16});
    ASSERT_TRUE(writer) << writer.error().message;
    std::vector<std::int16_t> block(2 * 1920);
    for (int frame = 0; frame < 250; ++frame) {
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<std::int16_t>(frame * 100 + i);
        ASSERT_TRUE((*writer)->write(std::span<const std::int16_t>(block)));
        EXPECT_FALSE(std::filesystem::exists(path)) << "the file appears only when finished";
    }
    const auto size = (*writer)->finish();
    ASSERT_TRUE(size) << size.error().message;
    EXPECT_EQ(size.value(), 44u + 1920000u);

    const auto bytes = test::readBytes(path);
    ASSERT_EQ(bytes.size(), 44u + 1920000u);
    EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
    EXPECT_EQ(Le32(bytes, 4), 1920036u);
    EXPECT_EQ(std::memcmp(bytes.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(Le32(bytes, 16), 16u);
    EXPECT_EQ(Le32(bytes, 24), 48000u);
    EXPECT_EQ(Le32(bytes, 28), 192000u);
    EXPECT_EQ(std::memcmp(bytes.data() + 36, "data", 4), 0);
    EXPECT_EQ(Le32(bytes, 40), 1920000u);
    EXPECT_EQ(bytes[44 + 2], 1) << "second sample of the first block, little-endian";

    const auto probe = test::runCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,"
                                        "duration_ts -of default=nw=1 '"
                                        + path.string() + "'");
    ASSERT_TRUE(probe.ok);
    EXPECT_NE(probe.output.find("codec_name=pcm_s16le"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("sample_rate=48000"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("channels=2"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("duration_ts=480000"), std::string::npos) << probe.output;
}

// A run stopped early finishes a shorter file whose header matches what was written.
TEST(WavWriter, ARunStoppedEarlyGivesAShorterConsistentFile)
{
    const auto path = test::scratchDir("wav") / "stopped.wav";
    auto writer = WavWriter::create(path, {32000, 2, 16});
    ASSERT_TRUE(writer);
    const std::vector<std::int16_t> block(2 * 1280, 7);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE((*writer)->write(std::span<const std::int16_t>(block)));
    ASSERT_TRUE((*writer)->finish());
    const auto bytes = test::readBytes(path);
    ASSERT_EQ(bytes.size(), 44u + 3 * 5120u);
    EXPECT_EQ(Le32(bytes, 40), 3 * 5120u);
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
}

TEST(WavWriter, OddDataGetsAPadByte)
{
    const auto path = test::scratchDir("wav") / "odd.wav";
    auto writer = WavWriter::create(path, {8000, 1, 8});
    ASSERT_TRUE(writer);
    const std::uint8_t three[3] = {1, 2, 3};
    ASSERT_TRUE((*writer)->write(std::span<const std::uint8_t>(three)));
    ASSERT_TRUE((*writer)->finish());
    const auto bytes = test::readBytes(path);
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(Le32(bytes, 40), 3u);
    EXPECT_EQ(Le32(bytes, 4), 40u);
}

// A writer dropped without finish (an error upstream) leaves an earlier file untouched and no
// temporary file behind.
TEST(WavWriter, AnUnfinishedFileNeverReplacesTheDestination)
{
    const auto dir = test::scratchDir("wav");
    const auto path = dir / "kept.wav";
    test::writeBytes(path, {'o', 'l', 'd'});
    {
        auto writer = WavWriter::create(path, {48000, 2, 16});
        ASSERT_TRUE(writer);
        const std::vector<std::int16_t> block(1000, 1);
        ASSERT_TRUE((*writer)->write(std::span<const std::int16_t>(block)));
    }
    EXPECT_EQ(test::readBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

TEST(WavWriter, ErrorsAreReported)
{
    const auto missing = test::scratchDir("wav") / "no such folder" / "x.wav";
    auto writer = WavWriter::create(missing, {48000, 2, 16});
    ASSERT_FALSE(writer);
    EXPECT_EQ(writer.error().code, WavErrorCode::WriteFailed);
    EXPECT_FALSE(writer.error().message.empty());

    for (const WavFormat bad : {WavFormat{48000, 0, 16}, WavFormat{0, 2, 16}, WavFormat{48000, 2, 12}}) {
        const auto refused = WavWriter::create(test::scratchDir("wav") / "bad.wav", bad);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().code, WavErrorCode::BadFormat);
    }
}

} // namespace
} // namespace camlog::media
