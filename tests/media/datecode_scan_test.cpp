// The fast datecode scan gives the same records and scenes as decoding every whole frame.
#include "media/datecode_scan.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace camlog;
using scenes::FrameRecord;
using Scenes = std::vector<std::pair<int, int>>;

namespace {

// Sees every frame record the detector builds, through its caption hook.
struct RecordSpy : scenes::CaptionStep {
    void startStreaming() override {}
    void frame(const FrameRecord &record, const CaptionCallback &) override { records.push_back(record); }
    void stop(const FrameRecord &, const CaptionCallback &) override {}
    std::vector<FrameRecord> records;
};

struct ScanRun {
    Scenes scenes;
    std::vector<FrameRecord> records;
    media::DatecodeScanResult result;
    std::uint64_t bytesRead = 0;
    std::uint64_t fileSize = 0;
    std::size_t frameCount = 0;
};

std::unique_ptr<media::DvFrameReader> openReader(const std::filesystem::path &path)
{
    auto opened = media::DvFrameReader::open(path);
    EXPECT_TRUE(opened) << path << ": " << (opened ? "" : opened.error().message);
    return opened ? std::move(opened).value() : nullptr;
}

ScanRun scan(const std::filesystem::path &path, bool fast, const std::atomic<bool> *abort = nullptr)
{
    ScanRun run;
    auto reader = openReader(path);
    if (!reader)
        return run;
    RecordSpy spy;
    scenes::Tdv_sceneDetect detector;
    detector.setCaptionStep(&spy);
    detector.OnScene = [&](const FrameRecord &start, const FrameRecord &current) {
        run.scenes.emplace_back(start.frameNumber, current.frameNumber);
    };
    if (fast) {
        media::DatecodeScanOptions options;
        options.abort = abort;
        run.result = media::ScanDatecodes(*reader, detector, options);
    } else {
        std::vector<std::uint8_t> frame;
        detector.StartStreaming();
        for (std::size_t i = 0; i < reader->frameCount(); ++i)
            if (reader->readFrame(i, frame))
                detector.Receive(frame);
        detector.Stop();
    }
    run.records = std::move(spy.records);
    run.bytesRead = reader->bytesRead();
    run.fileSize = reader->fileSize();
    run.frameCount = reader->frameCount();
    return run;
}

struct Case {
    std::string file;
    bool sample; // a real camcorder sample rather than a generated fixture
    Scenes expected;
    bool everyFrameFromItsFirstBytes;
};

std::filesystem::path pathOf(const Case &c)
{
    return c.sample ? test::requireSample(c.file) : test::fixturePath(c.file);
}

const Case kCases[] = {
    {"tape_three.dv", false, {{0, 50}, {50, 100}, {100, 125}}, true},
    {"tape_three-type1.avi", false, {{0, 50}, {50, 100}, {100, 125}}, true},
    {"tape_three-type2.avi", false, {{0, 50}, {50, 100}, {100, 125}}, true},
    {"tape_three-opendml.avi", false, {{0, 50}, {50, 100}, {100, 125}}, true},
    {"tape_gap6.dv", false, {{0, 50}, {50, 75}}, true},
    {"tape_aspect.dv", false, {{0, 50}, {50, 75}}, true},
    {"tape_audio.dv", false, {{0, 50}, {50, 75}}, true},
    {"pal_16x9_32k-type2.avi", false, {{0, 25}}, true},
    {"ntsc_4x3_48k-type1.avi", false, {{0, 29}}, true},
    // No date and no audio packs anywhere: every frame is read whole.
    {"ntsc_nodate-ffmpeg.avi", false, {{0, 30}}, false},
    {"ntsc43_sony-digital8_2024_5frames.dv", true, {{0, 5}}, true},
    {"rewrapped/ntsc43_sony-digital8_2024_5frames_dvgrab-type1.avi", true, {{0, 5}}, true},
    {"rewrapped/ntsc43_sony-digital8_2024_5frames_dvgrab-type2.avi", true, {{0, 5}}, true},
    // Sequence 0 lost its packs: the frame is read whole and the date found further on.
    {"ntsc43_sony-digital8_2000_head-clog_1frame.dv", true, {{0, 1}}, false},
    {"ntsc43_deck-capture_2005_empty-recdate_15frames.dv", true, {{0, 15}}, true},
    {"ntsc43_sony-digital8_blank-tape_1frame.dv", true, {{0, 1}}, false},
};

} // namespace

TEST(DatecodeScan, SameRecordsAndScenesAsWholeFrames)
{
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.file);
        const auto path = pathOf(c);
        if (path.empty())
            continue;
        const ScanRun fast = scan(path, true);
        const ScanRun whole = scan(path, false);
        EXPECT_EQ(fast.scenes, c.expected);
        EXPECT_EQ(whole.scenes, c.expected);
        ASSERT_EQ(fast.records.size(), whole.records.size());
        for (std::size_t i = 0; i < fast.records.size(); ++i)
            ASSERT_EQ(fast.records[i], whole.records[i]) << "frame " << i;
        EXPECT_EQ(fast.result.framesScanned, fast.frameCount);
        EXPECT_EQ(fast.result.wholeFrameReads == 0, c.everyFrameFromItsFirstBytes) << fast.result.wholeFrameReads;
    }
}

TEST(DatecodeScan, ReadsOnlyTheFirstBytesOfEachFrame)
{
    for (const char *file : {"tape_three-type1.avi", "tape_three-type2.avi", "tape_three-opendml.avi", "tape_three.dv"}) {
        SCOPED_TRACE(file);
        const ScanRun run = scan(test::fixturePath(file), true);
        // The prefix of every frame plus the headers and the index: a few percent of the file.
        EXPECT_LE(run.bytesRead, run.frameCount * scenes::kFramePrefixSize + 256 * 1024);
        EXPECT_LT(run.bytesRead * 20, run.fileSize);
    }
}

TEST(DatecodeScan, AbortStopsAndReportsTheSceneInProgress)
{
    auto reader = openReader(test::fixturePath("tape_three-type2.avi"));
    ASSERT_TRUE(reader);
    std::atomic<bool> abort{false};
    Scenes scenes;
    int finishedStatus = -1;
    scenes::Tdv_sceneDetect detector;
    detector.OnScene = [&](const FrameRecord &start, const FrameRecord &current) {
        scenes.emplace_back(start.frameNumber, current.frameNumber);
        abort = true; // the user aborts while the second scene is being read
    };
    detector.OnFinished = [&](int status) { finishedStatus = status; };
    std::size_t lastDone = 0;
    media::DatecodeScanOptions options;
    options.abort = &abort;
    options.progress = [&](std::size_t done, std::size_t) { lastDone = done; };
    const auto result = media::ScanDatecodes(*reader, detector, options);
    EXPECT_TRUE(result.aborted);
    EXPECT_EQ(result.framesScanned, 51u);
    EXPECT_EQ(lastDone, 51u);
    EXPECT_EQ(scenes, (Scenes{{0, 50}, {50, 51}}));
    EXPECT_NE(finishedStatus, 0);
}

TEST(DatecodeScan, TruncatedFilesGiveTheWholeFramesBeforeTheCut)
{
    const auto source = test::readBytes(test::fixturePath("tape_three-type1.avi"));
    const auto dir = test::scratchDir("DatecodeScanTruncated");
    for (const double fraction : {0.55, 0.9}) {
        auto bytes = source;
        bytes.resize(static_cast<std::size_t>(static_cast<double>(bytes.size()) * fraction));
        const auto path = dir / ("cut" + std::to_string(static_cast<int>(fraction * 100)) + ".avi");
        test::writeBytes(path, bytes);
        const ScanRun run = scan(path, true);
        ASSERT_GT(run.frameCount, 0u);
        EXPECT_LT(run.frameCount, 125u);
        EXPECT_EQ(run.result.framesScanned, run.frameCount);
        ASSERT_FALSE(run.scenes.empty());
        EXPECT_EQ(run.scenes.back().second, static_cast<int>(run.frameCount));
    }
}
