// Scene detection by datecode on generated tapes, real samples and hand-made record sequences.
#include "scenes/dv_scene_detect.h"

#include "core/dv_frame.h"
#include "scenes/frame_record.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace camlog;
using scenes::FrameRecord;
using scenes::Tdv_sceneDetect;
using Scenes = std::vector<std::pair<int, int>>;

namespace {

struct Recorder {
    explicit Recorder(Tdv_sceneDetect &detector)
    {
        detector.OnScene = [this](const FrameRecord &start, const FrameRecord &current) {
            scenes.emplace_back(start.frameNumber, current.frameNumber);
        };
        detector.OnFinished = [this](int) {
            ++finished;
        };
    }
    Scenes scenes;
    int finished = 0;
};

// Feeds a raw DV file frame by frame, as a reading pipeline delivers its samples.
Scenes scenesOfRawDv(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> frame(4);
    in.read(reinterpret_cast<char *>(frame.data()), 4);
    const std::size_t size = frame[3] == 0x3F ? core::kNtscFrameSize : core::kPalFrameSize;
    in.seekg(0);
    frame.resize(size);

    Tdv_sceneDetect detector;
    Recorder recorder(detector);
    detector.StartStreaming();
    while (in.read(reinterpret_cast<char *>(frame.data()), static_cast<std::streamsize>(size)))
        detector.Receive(frame);
    detector.Stop();
    EXPECT_EQ(recorder.finished, 1);
    return recorder.scenes;
}

} // namespace

TEST(SceneDetect, GeneratedTapesBreakAtEveryNewRecording)
{
    struct Case {
        const char *tape;
        Scenes expected;
    };
    const Case cases[] = {
        // 10:00:00 (2 s), 10:05:00 (2 s), then back to 09:00:00 (1 s).
        {"tape_three.dv", {{0, 50}, {50, 100}, {100, 125}}},
        // The first recording ends at 10:00:01; the next starts 4 or 6 seconds later.
        {"tape_gap4.dv", {{0, 75}}},
        {"tape_gap6.dv", {{0, 50}, {50, 75}}},
        // One continuous datecode; the picture turns 16:9 or the audio 32 kHz after 2 s.
        {"tape_aspect.dv", {{0, 50}, {50, 75}}},
        {"tape_audio.dv", {{0, 50}, {50, 75}}},
        // No recording date at all, and no audio: one scene.
        {"ntsc_nodate.dv", {{0, 30}}},
        {"ntsc_4x3_48k.dv", {{0, 29}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(scenesOfRawDv(test::fixturePath(c.tape)), c.expected) << c.tape;
}

TEST(SceneDetect, RealSamples)
{
    struct Case {
        const char *file;
        Scenes expected;
    };
    const Case cases[] = {
        {"ntsc43_sony-digital8_2024_5frames.dv", {{0, 5}}},
        {"ntsc43_deck-capture_2005_empty-recdate_15frames.dv", {{0, 15}}},
        {"ntsc43_sony-digital8_blank-tape_1frame.dv", {{0, 1}}},
    };
    for (const auto &c : cases) {
        const auto path = test::requireSample(c.file);
        if (path.empty())
            return;
        EXPECT_EQ(scenesOfRawDv(path), c.expected) << c.file;
    }
}

namespace {

// A stretch of frames for hand-made runs: with or without a datecode (counting whole
// seconds from startSecond, frameRate frames a second), in a given format.
struct Stretch {
    int frames;
    bool datecode;
    int startSecond = 36000;
    bool wide = false;
    int audioRate = 48000;
    bool formatValid = true;
};

Scenes scenesOfRecords(const std::vector<Stretch> &stretches)
{
    Tdv_sceneDetect detector;
    Recorder recorder(detector);
    detector.StartStreaming();
    const auto day = *core::DateTime::fromDate(2024, 5, 1);
    for (const auto &s : stretches)
        for (int i = 0; i < s.frames; ++i) {
            FrameRecord r = detector.Current();
            r.datecodeValid = s.datecode;
            r.datecode = s.datecode ? day + core::DateTime::fromSeconds(s.startSecond + i / 25) : core::DateTime();
            r.formatValid = s.formatValid;
            r.widePicture = s.wide;
            r.audioRate = s.audioRate;
            r.audioBits = 16;
            detector.ReceiveDecoded(r);
        }
    detector.Stop();
    return recorder.scenes;
}

} // namespace

TEST(SceneDetect, BreakRulesOnRecordSequences)
{
    struct Case {
        const char *what;
        std::vector<Stretch> stretches;
        Scenes expected;
    };
    const Case cases[] = {
        {"no frames at all", {}, {}},
        {"one frame", {{1, true}}, {{0, 1}}},
        {"no datecode at all", {{40, false}}, {{0, 40}}},
        {"a jump of exactly 5 s stays in the scene", {{25, true, 36000}, {25, true, 36005}}, {{0, 50}}},
        {"a jump of 6 s breaks", {{25, true, 36000}, {25, true, 36006}}, {{0, 25}, {25, 50}}},
        {"a jump backwards breaks", {{50, true, 36000}, {25, true, 30000}}, {{0, 50}, {50, 75}}},
        {"10 frames without datecode open the next recording",
         {{50, true, 36000}, {10, false}, {50, true, 40000}},
         {{0, 50}, {50, 110}}},
        {"20 frames without datecode are a scene of their own",
         {{50, true, 36000}, {20, false}, {50, true, 40000}},
         {{0, 50}, {50, 70}, {70, 120}}},
        {"12 frames is the longest stretch that stays",
         {{50, true}, {12, false}, {20, true, 40000}},
         {{0, 50}, {50, 82}}},
        {"13 frames is a scene of its own",
         {{50, true}, {13, false}, {20, true, 40000}},
         {{0, 50}, {50, 63}, {63, 83}}},
        {"a leading stretch without datecode joins the first recording", {{12, false}, {30, true}}, {{0, 42}}},
        {"a format change breaks", {{30, true, 36000, false}, {30, true, 36001, true}}, {{0, 30}, {30, 60}}},
        {"an audio rate change breaks",
         {{30, true, 36000, false, 48000}, {30, true, 36001, false, 32000}},
         {{0, 30}, {30, 60}}},
        {"format changes are not seen without both packs",
         {{30, true, 36000, false, 48000}, {30, true, 36001, true, 32000, false}},
         {{0, 60}}},
        // The format break disarms the jump test, so the jump in the same frame is not a
        // second break; the datecode losing its value in the format-break frame gives one.
        {"format break and jump at the same frame",
         {{30, true, 36000, false}, {30, true, 50000, true}},
         {{0, 30}, {30, 60}}},
        {"format break and datecode lost at the same frame",
         {{30, true, 36000, false}, {30, false, 0, true}},
         {{0, 30}, {30, 60}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(scenesOfRecords(c.stretches), c.expected) << c.what;
}

TEST(SceneDetect, OnlyDvSizedSamplesAreCountedAndHeadersAreKept)
{
    auto tape = test::readBytes(test::fixturePath("pal_4x3_48k.dv"));
    Tdv_sceneDetect detector;
    Recorder recorder(detector);
    detector.StartStreaming();
    std::vector<std::uint8_t> odd(1000, 0x13);
    detector.Receive(odd);
    detector.Receive({});
    const std::span<const std::uint8_t> first(tape.data(), core::kPalFrameSize);
    detector.Receive(first);
    detector.Receive(odd);
    EXPECT_EQ(detector.FrameCount(), 1);
    EXPECT_EQ(detector.SavedSequenceCount(), 12);
    for (int s = 0; s < 12; ++s) {
        const auto &slot = detector.SavedHeaders()[static_cast<std::size_t>(s)];
        EXPECT_TRUE(std::equal(slot.begin(), slot.end(), first.begin() + 12000 * s)) << s;
    }
    EXPECT_TRUE(detector.Current().datecodeValid);
    EXPECT_TRUE(detector.Current().formatValid);
    detector.Stop();
    EXPECT_EQ(recorder.scenes, (Scenes{{0, 1}}));
}

TEST(SceneDetect, StopResetsForTheNextRunAndAnIdleStopReportsNothingWithoutCallbacks)
{
    auto tape = test::readBytes(test::fixturePath("tape_gap6.dv"));
    Tdv_sceneDetect detector;
    Recorder recorder(detector);
    bool captionCleared = false;
    detector.OnCaption = [](const FrameRecord &, const std::u16string &, const std::u16string &) {
    };
    for (int run = 0; run < 2; ++run) {
        detector.StartStreaming();
        for (std::size_t off = 0; off + core::kPalFrameSize <= tape.size(); off += core::kPalFrameSize)
            detector.Receive({tape.data() + off, core::kPalFrameSize});
        detector.Stop();
        captionCleared = !detector.OnCaption;
    }
    EXPECT_TRUE(captionCleared);
    EXPECT_EQ(recorder.scenes, (Scenes{{0, 50}, {50, 75}, {0, 50}, {50, 75}}));

    detector.OnScene = nullptr;
    detector.OnFinished = nullptr;
    detector.Stop(); // nothing to call, nothing to crash
    EXPECT_EQ(recorder.finished, 2);
}

TEST(SceneDetect, AcceptsOnlyDvMediaTypes)
{
    using core::FourCC;
    EXPECT_TRUE(Tdv_sceneDetect::AcceptsMediaType(FourCC::fromString("iavs"), FourCC::fromString("dvsd")));
    EXPECT_TRUE(Tdv_sceneDetect::AcceptsMediaType(FourCC::fromString("iavs"), FourCC::fromString("xxxx")));
    EXPECT_TRUE(Tdv_sceneDetect::AcceptsMediaType(FourCC::fromString("vids"), FourCC::fromString("dvsd")));
    EXPECT_FALSE(Tdv_sceneDetect::AcceptsMediaType(FourCC::fromString("vids"), FourCC::fromString("MJPG")));
    EXPECT_FALSE(Tdv_sceneDetect::AcceptsMediaType(FourCC::fromString("auds"), FourCC::fromString("dvsd")));
}

// A frame is settled by the first bytes of its first sequence only when it continues the frame
// before exactly; anything else is left to the reading of two sequences.
TEST(FrameRecord, OnlyAFrameContinuingTheOneBeforeIsSettledByItsFirstSequence)
{
    const auto tape = test::readBytes(test::fixturePath("pal_4x3_48k.dv"));
    ASSERT_GE(tape.size(), 144000u);
    const std::vector<std::uint8_t> frame(tape.begin(), tape.begin() + 144000);
    scenes::FrameRecord start;
    core::RecordingTimes previous;
    ASSERT_TRUE(scenes::DecodeFrameRecordFromPrefix(frame, 12, start, previous));
    previous.datecode = {2024, 5, 1, 10, 0, 30};
    previous.timecode = {0, 0, 30, 24};

    struct Case {
        const char *name;
        core::TDatecode datecode;
        core::TTimecode timecode;
        bool settled;
        bool damageSequence0 = false; // one block of sequence 0 says another date
        int audioRate = 48000;        // what the previous frame's record said
    };
    const Case cases[] = {
        {"the next frame in a new second", {2024, 5, 1, 10, 0, 31}, {0, 0, 31, 0}, true},
        {"the next frame in the same second", {2024, 5, 1, 10, 0, 30}, {0, 0, 31, 0}, true},
        {"the same timecode again", {2024, 5, 1, 10, 0, 30}, {0, 0, 30, 24}, false},
        {"a frame skipped", {2024, 5, 1, 10, 0, 31}, {0, 0, 31, 1}, false},
        {"a date two seconds on", {2024, 5, 1, 10, 0, 32}, {0, 0, 31, 0}, false},
        {"a new recording", {2026, 1, 1, 8, 0, 0}, {0, 0, 31, 0}, false},
        {"copies in sequence 0 disagree", {2024, 5, 1, 10, 0, 31}, {0, 0, 31, 0}, false, true},
        {"the sound changed", {2024, 5, 1, 10, 0, 31}, {0, 0, 31, 0}, false, false, 32000},
    };
    for (const Case &c : cases) {
        std::vector<std::uint8_t> next = frame;
        core::WriteDatecode(next, 12, c.datecode);
        core::WriteTimecode(next, 12, c.timecode);
        if (c.damageSequence0) {
            core::TDatecode other = c.datecode;
            other.year = 1926;
            std::vector<std::uint8_t> damaged = next;
            core::WriteDatecode(damaged, 12, other);
            // The first block of sequence 0 that holds a copy of the date, alone.
            std::size_t block = 1;
            while (
                block < 6
                && std::equal(next.begin() + 80 * block, next.begin() + 80 * (block + 1), damaged.begin() + 80 * block))
                ++block;
            ASSERT_LT(block, 6u);
            std::copy(damaged.begin() + 80 * block, damaged.begin() + 80 * (block + 1), next.begin() + 80 * block);
        }
        scenes::FrameRecord record = start;
        record.audioRate = c.audioRate;
        const scenes::FrameRecord before = record;
        core::RecordingTimes times = previous;
        const bool settled = scenes::DecodeContinuingFrameRecord(std::span(next).first(scenes::kContinuingPrefixSize),
                                                                 12, 25, previous, record, times);
        EXPECT_EQ(settled, c.settled) << c.name;
        if (settled) {
            EXPECT_EQ(times.datecode, c.datecode) << c.name;
            EXPECT_EQ(times.timecode, c.timecode) << c.name;
            EXPECT_TRUE(record.datecodeValid) << c.name;
        } else {
            EXPECT_EQ(record, before) << c.name;
        }
    }
    // A new minute is always read from two sequences.
    previous.datecode.second = 59;
    previous.timecode.seconds = 59;
    std::vector<std::uint8_t> next = frame;
    core::WriteDatecode(next, 12, {2024, 5, 1, 10, 1, 0});
    core::WriteTimecode(next, 12, {0, 1, 0, 0});
    scenes::FrameRecord record = start;
    core::RecordingTimes times;
    EXPECT_FALSE(scenes::DecodeContinuingFrameRecord(next, 12, 25, previous, record, times));
}
