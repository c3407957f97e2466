// DV audio split and join, checked against ffmpeg's own decoding of DV audio.
#include "media/audio/dv_audio.h"

#include "audio_test_support.h"
#include "core/dv_frame.h"
#include "media/audio/dv_audio_layout.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

namespace camlog::media {
namespace {

using test::Frame;

DvSystem systemOf(bool pal)
{
    return pal ? DvSystem::Pal : DvSystem::Ntsc;
}

// A source of DV frames with audio: a generated fixture, a file the test makes with ffmpeg,
// or a real camcorder sample (skipped when absent).
struct AudioSource {
    const char *name;
    int sampleRate;
    int bits;
    int channels;
    bool pal;
};

void PrintTo(const AudioSource &s, std::ostream *os)
{
    *os << s.name;
}

std::filesystem::path SourcePath(const AudioSource &source)
{
    const std::string name = source.name;
    if (name == "pal_4x3_44k.dv") {
        // ffmpeg writes 44.1 kHz DV only on request; made once per test run.
        const auto path = test::scratchDir("pal44k") / name;
        if (!test::runFfmpeg("-f lavfi -i testsrc=size=720x576:rate=25:duration=1 -f lavfi -i "
                             "sine=frequency=1000:duration=1:sample_rate=44100 -target pal-dv -ar 44100 -f dv '"
                             + path.string() + "'"))
            return {};
        return path;
    }
    if (name.starts_with("ntsc43_"))
        return test::requireSample(name);
    return test::fixturePath(name);
}

std::vector<std::int16_t> Concat(const std::vector<Frame> &frames, int pair)
{
    std::vector<std::int16_t> all;
    DvFrameAudio audio;
    for (const auto &frame : frames) {
        auto split = SplitDvAudio(frame, audio);
        EXPECT_TRUE(split) << split.error().message;
        if (!split)
            break;
        all.insert(all.end(), audio.pairs[pair].begin(), audio.pairs[pair].end());
    }
    return all;
}

class DvAudioSources : public ::testing::TestWithParam<AudioSource> {
protected:
    void SetUp() override
    {
        m_path = SourcePath(GetParam());
        if (m_path.empty()) {
            if (!IsSkipped())
                GTEST_SKIP() << "no source for " << GetParam().name;
            return;
        }
        m_frames = test::readRawDvFrames(m_path);
        ASSERT_FALSE(m_frames.empty());
    }
    std::filesystem::path m_path;
    std::vector<Frame> m_frames;
};

TEST_P(DvAudioSources, FormatIsReadFromTheSourcePack)
{
    const AudioSource &source = GetParam();
    for (const auto &frame : m_frames) {
        const auto info = ReadDvAudioInfo(frame);
        ASSERT_TRUE(info) << info.error().message;
        EXPECT_EQ(info->format, (DvAudioFormat{source.sampleRate, source.channels, source.bits, systemOf(source.pal)}));
        EXPECT_GE(info->samples, DvAudioMinSamples(source.sampleRate, systemOf(source.pal)));
        EXPECT_LE(info->samples, DvAudioMaxSamples(source.sampleRate, systemOf(source.pal)));
    }
}

TEST_P(DvAudioSources, SplitGivesTheSamplesFfmpegDecodes)
{
    const auto ours = Concat(m_frames, 0);
    const auto theirs = test::ffmpegAudio(m_path, 0);
    ASSERT_TRUE(theirs) << "ffmpeg could not decode " << m_path;
    ASSERT_EQ(ours.size(), theirs->size());
    EXPECT_TRUE(ours == *theirs);
    EXPECT_TRUE(std::any_of(ours.begin(), ours.end(), [](std::int16_t v) { return v != 0; }));
}

// Audio split from a frame and joined back into it gives the very same frame, even after
// other audio was joined in between.
TEST_P(DvAudioSources, SplitThenJoinGivesTheSameFrame)
{
    DvFrameAudio audio, silence;
    for (const auto &original : m_frames) {
        ASSERT_TRUE(SplitDvAudio(original, audio));
        Frame frame = original;
        silence.format = audio.format;
        silence.samples = audio.samples;
        for (int p = 0; p < 2; ++p)
            silence.pairs[p].assign(audio.pairs[p].size(), 0);
        ASSERT_TRUE(JoinDvAudio(frame, silence));
        ASSERT_TRUE(JoinDvAudio(frame, audio));
        ASSERT_TRUE(frame == original);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DvAudioSources,
                         ::testing::Values(AudioSource{"pal_4x3_48k.dv", 48000, 16, 2, true},
                                           AudioSource{"pal_16x9_32k.dv", 32000, 16, 2, true},
                                           AudioSource{"ntsc_4x3_48k.dv", 48000, 16, 2, false},
                                           AudioSource{"pal_4x3_44k.dv", 44100, 16, 2, true},
                                           AudioSource{"ntsc43_deck-capture_2005_empty-recdate_15frames.dv", 48000, 16,
                                                       2, false},
                                           AudioSource{"ntsc43_sony-digital8_2024_5frames.dv", 32000, 12, 2, false}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

// Pseudo-random PCM over the whole 16-bit range, extremes included.
std::vector<std::int16_t> Noise(std::size_t values, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<std::int16_t> pcm(values);
    for (auto &v : pcm)
        v = static_cast<std::int16_t>(sample(random));
    pcm[0] = -32768;
    pcm[1] = 32767;
    return pcm;
}

// What a decoder reads back from samples stored in the given size.
std::int16_t Stored(std::int16_t v, int bits)
{
    if (bits == 12)
        return dv_audio::Expand12(dv_audio::Compress12(v));
    return v == -32768 ? -32767 : v;
}

struct JoinCase {
    const char *frames; // fixture whose frames receive the audio
    int sampleRate;
    int bits;
    int channels;
};

void PrintTo(const JoinCase &c, std::ostream *os)
{
    *os << c.frames << " " << c.sampleRate << " Hz " << c.bits << "-bit " << c.channels << " ch";
}

class DvAudioJoins : public ::testing::TestWithParam<JoinCase> {};

// Known PCM joined into frames (their own audio of another format, or none) is what ffmpeg
// decodes from the result, pair by pair, and the frames' other bytes stay as they were.
TEST_P(DvAudioJoins, FfmpegDecodesTheJoinedPcm)
{
    const JoinCase &c = GetParam();
    const auto originals = test::readRawDvFrames(test::fixturePath(c.frames));
    ASSERT_FALSE(originals.empty());
    const bool pal = originals[0].size() == core::kPalFrameSize;
    const DvAudioFormat format{c.sampleRate, c.channels, c.bits, systemOf(pal)};

    std::vector<Frame> frames = originals;
    std::array<std::vector<std::int16_t>, 2> expected;
    DvFrameAudio audio;
    audio.format = format;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        audio.samples = DvAudioSamplesForFrame(c.sampleRate, systemOf(pal), i);
        for (int p = 0; p < format.pairs(); ++p) {
            audio.pairs[p] = Noise(2 * audio.samples, static_cast<unsigned>(i * 2 + p));
            for (auto v : audio.pairs[p])
                expected[p].push_back(Stored(v, c.bits));
        }
        const auto joined = JoinDvAudio(frames[i], audio);
        ASSERT_TRUE(joined) << joined.error().message;
        EXPECT_EQ(joined.value(), audio.samples);

        // Only the audio blocks' packs and samples change.
        for (std::size_t b = 0; b < frames[i].size(); b += 80) {
            const std::size_t blockInSequence = (b % 12000) / 80;
            const bool audioBlock = blockInSequence >= 6 && (blockInSequence - 6) % 16 == 0;
            const std::size_t from = audioBlock ? 3 : 80;
            ASSERT_TRUE(std::equal(frames[i].begin() + b, frames[i].begin() + b + from, originals[i].begin() + b))
                << "block at " << b;
            if (audioBlock && originals[i][b + 3] != core::pack::kAudioSource && originals[i][b + 3] != 0xFF) {
                ASSERT_TRUE(
                    std::equal(frames[i].begin() + b + 3, frames[i].begin() + b + 8, originals[i].begin() + b + 3))
                    << "other AAUX packs are kept, block at " << b;
            }
        }
        // Our own reading agrees, and so does the pack decoding that lists the file.
        DvFrameAudio back;
        ASSERT_TRUE(SplitDvAudio(frames[i], back));
        EXPECT_EQ(back.format, format);
        EXPECT_EQ(back.samples, audio.samples);
        int rate = 0, channels = 0, bits = 0;
        ASSERT_TRUE(core::ReadAudioFormat(frames[i], pal ? 12 : 10, rate, channels, bits));
        EXPECT_EQ(rate, c.sampleRate);
        EXPECT_EQ(bits, c.bits);
    }

    const auto path = test::scratchDir("join") / "joined.dv";
    test::writeRawDv(path, frames);
    for (int p = 0; p < format.pairs(); ++p) {
        const auto decoded = test::ffmpegAudio(path, p);
        ASSERT_TRUE(decoded) << "ffmpeg could not decode pair " << p;
        ASSERT_EQ(decoded->size(), expected[p].size()) << "pair " << p;
        EXPECT_TRUE(*decoded == expected[p]) << "pair " << p;
    }
    if (c.bits == 12 && c.channels == 2) {
        // ffmpeg reads both halves of 12-bit audio: the half without a pair is silent.
        const auto second = test::ffmpegAudio(path, 1);
        ASSERT_TRUE(second);
        EXPECT_TRUE(std::all_of(second->begin(), second->end(), [](std::int16_t v) { return v == 0; }));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DvAudioJoins,
    ::testing::Values(JoinCase{"pal_4x3_48k.dv", 48000, 16, 2}, JoinCase{"pal_4x3_48k.dv", 44100, 16, 2},
                      JoinCase{"pal_4x3_48k.dv", 32000, 16, 2}, JoinCase{"pal_16x9_32k.dv", 32000, 12, 2},
                      JoinCase{"pal_16x9_32k.dv", 32000, 12, 4}, JoinCase{"ntsc_4x3_48k.dv", 48000, 16, 2},
                      JoinCase{"ntsc_4x3_48k.dv", 44100, 16, 2}, JoinCase{"ntsc_4x3_48k.dv", 32000, 16, 2},
                      JoinCase{"ntsc_4x3_48k.dv", 32000, 12, 4},
                      // An encoder's frames with blank audio blocks.
                      JoinCase{"ntsc_nodate.dv", 48000, 16, 2}, JoinCase{"ntsc_nodate.dv", 32000, 12, 2}),
    [](const auto &info) {
        std::string name = info.param.frames;
        name = name.substr(0, name.find('.')) + "_" + std::to_string(info.param.sampleRate) + "_"
               + std::to_string(info.param.bits) + "bit_" + std::to_string(info.param.channels) + "ch";
        return name;
    });

// Frames with blank audio blocks get the source packs at their usual places, with the audio
// copies of the video's recording date and time when the frame has them.
TEST(DvAudioJoin, BlankFramesGetPacksAtTheUsualPlaces)
{
    auto frames = test::readRawDvFrames(test::fixturePath("ntsc_nodate.dv"), 1);
    ASSERT_FALSE(frames.empty());
    Frame frame = frames[0];
    EXPECT_EQ(ReadDvAudioInfo(frame).error().code, DvAudioErrorCode::NoAudio);
    DvFrameAudio audio;
    audio.format = {48000, 2, 16, DvSystem::Ntsc};
    audio.samples = 1600;
    audio.pairs[0].assign(3200, 100);
    ASSERT_TRUE(JoinDvAudio(frame, audio));
    for (int s = 0; s < 10; ++s) {
        const int first = s % 2 == 0 ? 3 : 0;
        const std::uint8_t *as = frame.data() + dv_audio::AudioBlockOffset(s, first) + 3;
        const std::uint8_t *asc = frame.data() + dv_audio::AudioBlockOffset(s, first + 1) + 3;
        EXPECT_EQ(as[0], 0x50) << s;
        EXPECT_EQ(as[1] & 0x3F, 1600 - 1580) << s;
        EXPECT_EQ(as[2], s < 5 ? 0x00 : 0x01) << "left in the first half, right in the second";
        EXPECT_EQ(as[3] & 0x3F, 0x00) << "525/60, one audio block set";
        EXPECT_EQ(as[4] & 0x3F, 0x00) << "48 kHz, 16-bit";
        EXPECT_EQ(asc[0], 0x51) << s;
    }
}

TEST(DvAudioJoin, BlankFramesRepeatTheVideoRecordingDateInTheAudio)
{
    auto frames = test::readRawDvFrames(test::fixturePath("pal_4x3_48k.dv"), 1);
    ASSERT_EQ(frames.size(), 1u);
    Frame frame = frames[0];
    for (int s = 0; s < 12; ++s)
        for (int k = 0; k < 9; ++k)
            std::fill_n(frame.begin() + static_cast<std::ptrdiff_t>(dv_audio::AudioBlockOffset(s, k) + 3), 77, 0xFF);
    DvFrameAudio audio;
    audio.format = {32000, 2, 16, DvSystem::Pal};
    audio.samples = 1280;
    audio.pairs[0].assign(2560, -3);
    ASSERT_TRUE(JoinDvAudio(frame, audio));
    core::DvPack date{}, time{};
    ASSERT_TRUE(core::FindPack(frame, core::pack::kRecordingDate, 12, date));
    ASSERT_TRUE(core::FindPack(frame, core::pack::kRecordingTime, 12, time));
    const std::uint8_t *audioDate = frame.data() + dv_audio::AudioBlockOffset(0, 5) + 3;
    const std::uint8_t *audioTime = frame.data() + dv_audio::AudioBlockOffset(1, 3) + 3;
    EXPECT_EQ(audioDate[0], 0x52);
    EXPECT_TRUE(std::equal(date.begin() + 1, date.end(), audioDate + 1));
    EXPECT_EQ(audioTime[0], 0x53);
    EXPECT_TRUE(std::equal(time.begin() + 1, time.end(), audioTime + 1));
    const auto info = ReadDvAudioInfo(frame);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->samples, 1280u);
}

TEST(DvAudioSplit, TruncatedOrOddSizedBuffersAreNotFrames)
{
    const auto frames = test::readRawDvFrames(test::fixturePath("pal_4x3_48k.dv"), 1);
    ASSERT_FALSE(frames.empty());
    DvFrameAudio audio;
    for (std::size_t size :
         {std::size_t{0}, std::size_t{80}, std::size_t{4400}, std::size_t{119999}, std::size_t{143999}}) {
        // A copy of exactly that size, so the sanitizer sees any read past it.
        const Frame part(frames[0].begin(), frames[0].begin() + static_cast<std::ptrdiff_t>(size));
        const auto split = SplitDvAudio(part, audio);
        ASSERT_FALSE(split) << size;
        EXPECT_EQ(split.error().code, DvAudioErrorCode::NotDvFrame);
        EXPECT_EQ(audio.samples, 0u);
        EXPECT_TRUE(audio.pairs[0].empty());
    }
    const auto real = test::samplePath("pal169_camcorder_2010_truncated-4400B.dv");
    if (!real.empty() && std::filesystem::exists(real)) {
        EXPECT_EQ(SplitDvAudio(test::readBytes(real), audio).error().code, DvAudioErrorCode::NotDvFrame);
    }
}

// Random bytes, some with a source pack planted, give an error or samples, never a read
// outside the frame (run under the address sanitizer).
TEST(DvAudioSplit, GarbageGivesAnErrorOrSamples)
{
    std::mt19937 random(7);
    DvFrameAudio audio;
    int errors = 0, splits = 0;
    for (int i = 0; i < 200; ++i) {
        Frame frame(i % 2 ? core::kPalFrameSize : core::kNtscFrameSize);
        for (auto &b : frame)
            b = static_cast<std::uint8_t>(random());
        if (i % 4 < 2) {
            std::uint8_t *pack = frame.data() + dv_audio::AudioBlockOffset(0, 0) + 3;
            pack[0] = 0x50;
        }
        const auto split = SplitDvAudio(frame, audio);
        if (split) {
            ++splits;
            EXPECT_LE(split.value(), DvAudioMaxSamples(audio.format.sampleRate, audio.format.system));
            EXPECT_EQ(audio.pairs[0].size(), 2 * split.value());
            // Joined back, the garbage frame reads the same audio.
            ASSERT_TRUE(JoinDvAudio(frame, audio));
            DvFrameAudio back;
            ASSERT_TRUE(SplitDvAudio(frame, back));
            EXPECT_EQ(back.pairs, audio.pairs);
        } else {
            ++errors;
            // Joining into it still works: its packs are rewritten or written afresh.
            DvFrameAudio fresh;
            fresh.format = {48000, 2, 16, systemOf(frame.size() == core::kPalFrameSize)};
            fresh.samples = DvAudioSamplesForFrame(48000, fresh.format.system, 0);
            fresh.pairs[0].assign(2 * fresh.samples, 9);
            ASSERT_TRUE(JoinDvAudio(frame, fresh));
            ASSERT_TRUE(SplitDvAudio(frame, audio));
            EXPECT_EQ(audio.pairs[0], fresh.pairs[0]);
        }
    }
    EXPECT_GT(splits, 0);
    EXPECT_GT(errors, 0);
}

TEST(DvAudioSplit, PackFaultsAreErrors)
{
    const auto frames = test::readRawDvFrames(test::fixturePath("pal_4x3_48k.dv"), 1);
    ASSERT_FALSE(frames.empty());
    struct Fault {
        std::uint8_t pc1, pc4;
        DvAudioErrorCode code;
    };
    const Fault faults[] = {
        {0xC0 | 63, 0x80, DvAudioErrorCode::BadSampleCount},          // 1959 samples: more than 1944 places
        {0xD8, 0x80 | (3 << 3), DvAudioErrorCode::UnsupportedFormat}, // sampling frequency code 3
        {0xD8, 0x80 | 2, DvAudioErrorCode::UnsupportedFormat},        // quantisation code 2
        {0xD8, 0x80 | 1, DvAudioErrorCode::UnsupportedFormat},        // 12-bit at 48 kHz
    };
    DvFrameAudio audio;
    for (const Fault &fault : faults) {
        Frame frame = frames[0];
        for (int s = 0; s < 12; ++s)
            for (int k = 0; k < 9; ++k) {
                std::uint8_t *pack = frame.data() + dv_audio::AudioBlockOffset(s, k) + 3;
                if (pack[0] == 0x50) {
                    pack[1] = fault.pc1;
                    pack[4] = fault.pc4;
                }
            }
        const auto split = SplitDvAudio(frame, audio);
        ASSERT_FALSE(split);
        EXPECT_EQ(split.error().code, fault.code);
    }
}

TEST(DvAudioJoin, RefusalsLeaveTheFrameUnchanged)
{
    const auto frames = test::readRawDvFrames(test::fixturePath("pal_4x3_48k.dv"), 1);
    ASSERT_FALSE(frames.empty());
    DvFrameAudio good;
    good.format = {48000, 2, 16, DvSystem::Pal};
    good.samples = 1920;
    good.pairs[0].assign(2 * 1920, 5);

    struct Refusal {
        const char *what;
        DvFrameAudio audio;
        std::size_t frameSize;
        DvAudioErrorCode code;
    };
    auto with = [&](auto change) {
        DvFrameAudio a = good;
        change(a);
        return a;
    };
    const Refusal refusals[] = {
        {"truncated frame", good, 143999, DvAudioErrorCode::NotDvFrame},
        {"525/60 audio in a 625/50 frame", with([](DvFrameAudio &a) {
             a.format.system = DvSystem::Ntsc;
             a.samples = 1602;
         }),
         core::kPalFrameSize, DvAudioErrorCode::NotDvFrame},
        {"rate", with([](DvFrameAudio &a) { a.format.sampleRate = 22050; }), core::kPalFrameSize,
         DvAudioErrorCode::UnsupportedFormat},
        {"12-bit at 48 kHz", with([](DvFrameAudio &a) { a.format.bitsPerSample = 12; }), core::kPalFrameSize,
         DvAudioErrorCode::UnsupportedFormat},
        {"4 channels in 16-bit", with([](DvFrameAudio &a) { a.format.channels = 4; }), core::kPalFrameSize,
         DvAudioErrorCode::UnsupportedFormat},
        {"too many samples", with([](DvFrameAudio &a) {
             a.samples = 1945;
             a.pairs[0].resize(2 * 1945);
         }),
         core::kPalFrameSize, DvAudioErrorCode::BadSampleCount},
        {"too few samples", with([](DvFrameAudio &a) { a.samples = 1895; }), core::kPalFrameSize,
         DvAudioErrorCode::BadSampleCount},
        {"short buffer", with([](DvFrameAudio &a) { a.pairs[0].resize(100); }), core::kPalFrameSize,
         DvAudioErrorCode::BadSampleCount},
        {"missing second pair", with([](DvFrameAudio &a) {
             a.format = {32000, 4, 12, DvSystem::Pal};
             a.samples = 1280;
         }),
         core::kPalFrameSize, DvAudioErrorCode::BadSampleCount},
    };
    for (const Refusal &r : refusals) {
        Frame frame(frames[0].begin(), frames[0].begin() + static_cast<std::ptrdiff_t>(r.frameSize));
        const Frame before = frame;
        const auto joined = JoinDvAudio(frame, r.audio);
        ASSERT_FALSE(joined) << r.what;
        EXPECT_EQ(joined.error().code, r.code) << r.what;
        EXPECT_TRUE(frame == before) << r.what;
    }
}

// The conversion and preview pipelines split and join on their own threads at once: the
// shared sample tables are built once and only read.
TEST(DvAudioSplit, RunsOnSeveralThreadsAtOnce)
{
    const auto frames = test::readRawDvFrames(test::fixturePath("ntsc_4x3_48k.dv"), 4);
    ASSERT_EQ(frames.size(), 4u);
    std::vector<std::thread> threads;
    std::array<bool, 4> same{};
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            Frame frame = frames[t];
            DvFrameAudio audio;
            same[t] = SplitDvAudio(frame, audio) && JoinDvAudio(frame, audio) && frame == frames[t];
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(same, (std::array<bool, 4>{true, true, true, true}));
}

TEST(DvAudioSchedule, FramesCarryTheRateExactlyOverTime)
{
    struct Case {
        int rate;
        bool pal;
        std::uint64_t frames;
        std::uint64_t total;
    };
    const Case cases[] = {
        {48000, true, 25, 48000},  {44100, true, 25, 44100},        {32000, true, 25, 32000},
        {48000, false, 5, 8008},   {48000, false, 30000, 48048000}, {44100, false, 30000, 44144100},
        {32000, false, 15, 16016}, {32000, false, 30000, 32032000},
    };
    for (const Case &c : cases) {
        std::uint64_t total = 0;
        for (std::uint64_t i = 0; i < c.frames; ++i) {
            const std::size_t n = DvAudioSamplesForFrame(c.rate, systemOf(c.pal), i);
            ASSERT_GE(n, DvAudioMinSamples(c.rate, systemOf(c.pal))) << c.rate << " frame " << i;
            ASSERT_LE(n, DvAudioMaxSamples(c.rate, systemOf(c.pal))) << c.rate << " frame " << i;
            total += n;
        }
        EXPECT_EQ(total, c.total) << c.rate << (c.pal ? " pal" : " ntsc");
    }
    EXPECT_EQ(DvAudioSamplesForFrame(48000, DvSystem::Pal, 7), 1920u);
    EXPECT_EQ(DvAudioSamplesForFrame(48000, DvSystem::Ntsc, 0), 1600u);
    EXPECT_EQ(DvAudioSamplesForFrame(48000, DvSystem::Ntsc, 1), 1602u);
    EXPECT_EQ(DvAudioSamplesForFrame(48000, DvSystem::Ntsc, 5), 1600u);
    EXPECT_EQ(DvAudioSamplesForFrame(22050, DvSystem::Pal, 0), 0u);
}

} // namespace
} // namespace camlog::media
