// Sample places in DV frames and the 12-bit nonlinear sample code.
#include "media/audio/dv_audio_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace camlog::media::dv_audio {
namespace {

DvSystem systemOf(bool pal)
{
    return pal ? DvSystem::Pal : DvSystem::Ntsc;
}

// Every data byte of every audio block belongs to exactly one sample place, and the two
// halves hold the first and second half of the DIF sequences.
TEST(DvAudioLayout, PlacesCoverEveryAudioDataByteOnce)
{
    for (bool pal : {false, true}) {
        const int nseq = pal ? 12 : 10;
        for (int size : {2, 3}) {
            std::set<std::uint32_t> expected, seen;
            for (int s = 0; s < nseq; ++s)
                for (int k = 0; k < 9; ++k)
                    for (int place = 0; place < 72 / size; ++place)
                        expected.insert(static_cast<std::uint32_t>(AudioBlockOffset(s, k) + 8 + size * place));
            for (int half = 0; half < 2; ++half) {
                const auto offsets = size == 2 ? Offsets16(systemOf(pal), half) : Offsets12(systemOf(pal), half);
                ASSERT_EQ(offsets.size(), size == 2 ? Capacity16(systemOf(pal)) : Capacity12(systemOf(pal)));
                for (std::uint32_t offset : offsets) {
                    const int s = static_cast<int>(offset / 12000);
                    EXPECT_EQ(s < nseq / 2 ? 0 : 1, half) << "offset " << offset;
                    EXPECT_TRUE(seen.insert(offset).second) << "offset " << offset << " used twice";
                }
            }
            EXPECT_EQ(seen, expected) << "pal " << pal << " size " << size;
        }
    }
}

TEST(DvAudioLayout, FirstSamplesFollowTheShuffle)
{
    struct Case {
        bool pal;
        std::size_t sample;
        int sequence, block, place;
    };
    // Consecutive samples spread over sequences and blocks so that a lost block costs
    // scattered single samples.
    const Case cases[] = {
        {true, 0, 0, 0, 0},   {true, 1, 2, 3, 0},   {true, 2, 4, 6, 0},      {true, 3, 1, 0, 0},  {true, 18, 0, 1, 0},
        {true, 36, 0, 2, 0},  {true, 54, 0, 0, 1},  {true, 1943, 3, 8, 35},  {false, 1, 2, 3, 0}, {false, 3, 1, 0, 0},
        {false, 15, 0, 1, 0}, {false, 45, 0, 0, 1}, {false, 1619, 3, 8, 35},
    };
    for (const Case &c : cases) {
        const auto expected = AudioBlockOffset(c.sequence, c.block) + 8 + 2 * c.place;
        EXPECT_EQ(Offsets16(systemOf(c.pal), 0)[c.sample], expected) << "pal " << c.pal << " sample " << c.sample;
        const int h = c.pal ? 6 : 5;
        EXPECT_EQ(Offsets16(systemOf(c.pal), 1)[c.sample], expected + 12000u * h);
    }
    EXPECT_EQ(Offsets12(DvSystem::Pal, 0)[54], AudioBlockOffset(0, 0) + 8 + 3);
}

TEST(DvAudio12Bit, EveryCodeComesBackThroughSixteenBits)
{
    for (std::uint16_t code = 0; code < 0x1000; ++code) {
        if (code == 0x800)
            continue;
        EXPECT_EQ(Compress12(Expand12(code)), code) << std::hex << code;
    }
}

TEST(DvAudio12Bit, KnownValues)
{
    EXPECT_EQ(Expand12(0x000), 0);
    EXPECT_EQ(Expand12(0x1FF), 511);
    EXPECT_EQ(Expand12(0x200), 512);
    EXPECT_EQ(Expand12(0x201), 514);
    EXPECT_EQ(Expand12(0x7FF), 32704);
    EXPECT_EQ(Expand12(0xFFF), -1);
    EXPECT_EQ(Expand12(0xE00), -512);
    EXPECT_EQ(Expand12(0xDFF), -513);
    EXPECT_EQ(Expand12(0x801), -32641);
    EXPECT_EQ(Expand12(0x800), 0) << "the error code is silence";
}

TEST(DvAudio12Bit, CompressionIsMonotonicAndNeverTheErrorCode)
{
    int previous = -5000;
    for (int v = -32768; v <= 32767; ++v) {
        const std::uint16_t code = Compress12(static_cast<std::int16_t>(v));
        ASSERT_NE(code, 0x800) << v;
        ASSERT_LT(code, 0x1000);
        const int ordered = code < 0x800 ? code : code - 0x1000;
        ASSERT_GE(ordered, previous) << v;
        previous = ordered;
        // The value read back lies within one step (64 at the top segment) below the original.
        const int back = Expand12(code);
        ASSERT_LE(std::abs(back - v), 128) << v;
    }
}

} // namespace
} // namespace camlog::media::dv_audio
