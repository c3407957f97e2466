// Joining a PCM stream into successive DV frames.
#include "media/audio/dv_audio_injector.h"

#include "audio_test_support.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

namespace camlog::media {
namespace {

using test::Frame;

// Type 1 → type 2 → type 1: the audio split from every frame, queued as one stream in chunks
// that do not follow the frames, comes back into the frames exactly.
TEST(DvAudioInjector, SplitStreamJoinedBackGivesTheSameFrames)
{
    for (const char *name : {"pal_16x9_32k.dv", "ntsc_4x3_48k.dv"}) {
        const auto originals = test::readRawDvFrames(test::fixturePath(name));
        ASSERT_FALSE(originals.empty());
        std::vector<std::int16_t> stream;
        DvFrameAudio audio;
        for (const auto &frame : originals) {
            ASSERT_TRUE(SplitDvAudio(frame, audio));
            stream.insert(stream.end(), audio.pairs[0].begin(), audio.pairs[0].end());
        }

        DvAudioInjector injector(audio.format.sampleRate, 2);
        std::size_t pushed = 0;
        for (std::size_t i = 0; i < originals.size(); ++i) {
            Frame frame = originals[i];
            // Scramble the frame's samples so that only the join can restore them.
            DvFrameAudio noise = audio;
            ASSERT_TRUE(SplitDvAudio(frame, noise));
            for (auto &v : noise.pairs[0])
                v = static_cast<std::int16_t>(v ^ 0x5555);
            ASSERT_TRUE(JoinDvAudio(frame, noise));

            while (injector.queued(0) < injector.samplesDue(frame) && pushed < stream.size()) {
                const std::size_t chunk = std::min<std::size_t>(2 * 1000, stream.size() - pushed);
                injector.push(0, std::span(stream).subspan(pushed, chunk));
                pushed += chunk;
            }
            const auto joined = injector.joinNext(frame);
            ASSERT_TRUE(joined) << joined.error().message;
            ASSERT_TRUE(frame == originals[i]) << name << " frame " << i;
        }
        EXPECT_EQ(injector.silenceAdded(), 0u);
        EXPECT_EQ(injector.queued(0), 0u);
    }
}

// Frames without audio of their own take the schedule's counts; when the stream runs out the
// frames are completed with silence.
TEST(DvAudioInjector, FramesWithoutAudioFollowTheScheduleAndEndInSilence)
{
    auto frames = test::readRawDvFrames(test::fixturePath("ntsc_nodate.dv"));
    ASSERT_EQ(frames.size(), 30u);
    std::vector<std::int16_t> pcm(2 * 48000);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>((i * 37) % 20000 - 10000);
    const std::size_t given = 2 * 40000; // short of the 48048 samples that 30 frames take
    DvAudioInjector injector(48000, 2);
    injector.push(0, std::span(pcm).first(given));
    std::vector<std::size_t> counts;
    for (auto &frame : frames) {
        const auto joined = injector.joinNext(frame);
        ASSERT_TRUE(joined) << joined.error().message;
        counts.push_back(joined.value());
    }
    EXPECT_EQ(counts[0], 1600u);
    EXPECT_EQ(counts[1], 1602u);
    EXPECT_EQ(counts[5], 1600u);
    EXPECT_EQ(injector.framesJoined(), 30u);
    EXPECT_EQ(injector.silenceAdded(), 48048u - 40000u);

    std::vector<std::int16_t> expected(pcm.begin(), pcm.begin() + given);
    expected.resize(2 * 48048, 0);
    const auto path = test::scratchDir("inject") / "injected.dv";
    test::writeRawDv(path, frames);
    const auto decoded = test::ffmpegAudio(path);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(*decoded == expected);
}

TEST(DvAudioInjector, TwelveBitStorageCarriesTwoPairs)
{
    auto frames = test::readRawDvFrames(test::fixturePath("ntsc_nodate.dv"), 1);
    ASSERT_FALSE(frames.empty());
    DvAudioInjector injector(32000, 4, true);
    std::vector<std::int16_t> left(2 * 2000, 20000), right(2 * 2000, -20000);
    injector.push(0, left);
    injector.push(1, right);
    ASSERT_TRUE(injector.joinNext(frames[0]));
    DvFrameAudio audio;
    ASSERT_TRUE(SplitDvAudio(frames[0], audio));
    EXPECT_EQ(audio.format, (DvAudioFormat{32000, 4, 12, DvSystem::Ntsc}));
    EXPECT_EQ(audio.pairs[0][0], 19968) << "12-bit steps of 64 at this level";
    EXPECT_EQ(audio.pairs[1][1], -19969);
    EXPECT_EQ(injector.queued(0), injector.queued(1));
}

// A stereo stream joined into frames that carry two 12-bit pairs replaces the first pair only.
TEST(DvAudioInjector, TheFramesOwnSecondPairStays)
{
    auto frames = test::readRawDvFrames(test::fixturePath("pal_16x9_32k.dv"), 1);
    ASSERT_EQ(frames.size(), 1u);
    DvFrameAudio four;
    four.format = {32000, 4, 12, DvSystem::Pal};
    four.samples = 1280;
    four.pairs[0].assign(2 * 1280, 100);
    four.pairs[1].assign(2 * 1280, -300);
    ASSERT_TRUE(JoinDvAudio(frames[0], four));

    DvAudioInjector injector(32000, 2);
    const std::vector<std::int16_t> stereo(2 * 1280, 50);
    injector.push(0, stereo);
    ASSERT_TRUE(injector.joinNext(frames[0]));
    DvFrameAudio back;
    ASSERT_TRUE(SplitDvAudio(frames[0], back));
    EXPECT_EQ(back.format, four.format);
    EXPECT_EQ(back.pairs[0], stereo);
    EXPECT_EQ(back.pairs[1], four.pairs[1]);
}

// A frame whose own audio belongs to another recording (a re-encoded tape's frame, kept as it
// was): told not to use it, the injector writes the stream's sound at the count of the frame's
// place in the stream, 16-bit, and gives back what it wrote for the separate stream.
TEST(DvAudioInjector, FramesOwnAudioIgnoredTakesThePlacesCountAndGivesBackTheSamples)
{
    auto frames = test::readRawDvFrames(test::fixturePath("ntsc_4x3_48k.dv"));
    ASSERT_GE(frames.size(), 3u);
    std::vector<std::int16_t> pcm(2 * 1602);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(i * 7 - 9000);
    struct Case {
        std::uint64_t place; // the frame's place in the stream: NTSC 48 kHz takes 1600 at 0, 5, ...
        std::size_t count;
    };
    for (const Case c : {Case{0, 1600}, Case{1, 1602}, Case{10, 1600}, Case{11, 1602}}) {
        Frame frame = frames[1];
        DvAudioInjector injector(48000, 2);
        injector.setUseFrameAudio(false);
        injector.setNextFrame(c.place);
        EXPECT_EQ(injector.samplesDue(frame), c.count) << c.place;
        injector.push(0, std::span(pcm).first(2 * c.count - 20)); // ten sample frames short
        const auto joined = injector.joinNext(frame);
        ASSERT_TRUE(joined) << joined.error().message;
        EXPECT_EQ(joined.value(), c.count);
        DvFrameAudio back;
        ASSERT_TRUE(SplitDvAudio(frame, back));
        EXPECT_EQ(back.format.bitsPerSample, 16);
        ASSERT_EQ(back.samples, c.count);
        std::vector<std::int16_t> expected(pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(2 * c.count - 20));
        expected.resize(2 * c.count, 0); // the missing end is silence
        EXPECT_EQ(back.pairs[0], expected) << c.place;
        const auto given = injector.lastJoined(0);
        EXPECT_EQ(std::vector<std::int16_t>(given.begin(), given.end()), expected) << c.place;
        EXPECT_TRUE(injector.lastJoined(1).empty());
    }
}

} // namespace
} // namespace camlog::media
