// The fast datecode scan gives the same records and scenes as decoding every whole frame.
#include "media/reading/datecode_scan.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

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
    std::size_t rangesAnnounced = 0;
};

struct ScanWay {
    bool fast = true;        // the datecode scan, else every frame read whole
    bool readAhead = true;   // the reader announces ranges on a file not in memory
    bool evictFirst = false; // the file's pages are dropped from memory before the run
    const std::atomic<bool> *abort = nullptr;
};

// Drops the file's pages from the page cache (no root needed: the pages are clean).
void evict(const std::filesystem::path &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << path;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

std::unique_ptr<media::DvFrameReader> openReader(const std::filesystem::path &path)
{
    auto opened = media::DvFrameReader::open(path);
    EXPECT_TRUE(opened) << path << ": " << (opened ? "" : opened.error().message);
    return opened ? std::move(opened).value() : nullptr;
}

ScanRun scan(const std::filesystem::path &path, const ScanWay &way)
{
    ScanRun run;
    if (way.evictFirst)
        evict(path);
    auto reader = openReader(path);
    if (!reader)
        return run;
    reader->setReadAhead(way.readAhead);
    const bool fast = way.fast;
    const std::atomic<bool> *abort = way.abort;
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
    run.rangesAnnounced = reader->rangesAnnounced();
    return run;
}

ScanRun scan(const std::filesystem::path &path, bool fast, const std::atomic<bool> *abort = nullptr)
{
    ScanWay way;
    way.fast = fast;
    way.abort = abort;
    return scan(path, way);
}

struct Case {
    std::string file;
    bool sample; // a real camcorder sample rather than a generated fixture
    Scenes expected;
    // Every frame but those that start a new recording (read whole to confirm it) is settled
    // by its first bytes.
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
        if (c.everyFrameFromItsFirstBytes)
            EXPECT_EQ(fast.result.wholeFrameReads, c.expected.size() - 1);
        else
            EXPECT_GT(fast.result.wholeFrameReads, c.expected.size() - 1);
    }
}

TEST(DatecodeScan, ReadsOnlyTheFirstBytesOfEachFrame)
{
    for (const char *file :
         {"tape_three-type1.avi", "tape_three-type2.avi", "tape_three-opendml.avi", "tape_three.dv"}) {
        SCOPED_TRACE(file);
        const ScanRun run = scan(test::fixturePath(file), true);
        // The first bytes of the first sequence of every frame, two sequences for the first frames
        // of the three recordings and the frames after the two new ones, the two new ones whole
        // (their copies confirm the new recording), plus the headers and the index.
        EXPECT_LE(run.bytesRead, run.frameCount * scenes::kContinuingPrefixSize + 5 * scenes::kFramePrefixSize
                                     + 2 * 12 * core::kDifSequenceSize + 256 * 1024);
        EXPECT_LT(run.bytesRead * 10, run.fileSize);
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
    detector.OnFinished = [&](int status) {
        finishedStatus = status;
    };
    std::size_t lastDone = 0;
    media::DatecodeScanOptions options;
    options.abort = &abort;
    options.progress = [&](std::size_t done, std::size_t) {
        lastDone = done;
    };
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

namespace {

// Damage done to the packs of one frame, in place.
using Damage = void (*)(std::span<std::uint8_t> frame, int nseq);

// Calls visit(sequence, pack) for every subcode and VAUX pack of the frame.
template <typename Visit> void forEachPack(std::span<std::uint8_t> frame, int nseq, Visit visit)
{
    for (int s = 0; s < nseq; ++s) {
        std::uint8_t *seq = frame.data() + core::kDifSequenceSize * static_cast<std::size_t>(s);
        for (int block = 1; block <= 2; ++block)
            for (int j = 0; j < 6; ++j)
                visit(s, block, seq + 80 * block + 6 + 8 * j);
        for (int block = 3; block <= 5; ++block)
            for (int j = 0; j < 15; ++j)
                visit(s, block, seq + 80 * block + 3 + 5 * j);
    }
}

// 11 March 1926, 08:30:00: a valid date and time, and wrong.
void putWrongDate(std::uint8_t *p)
{
    if (p[0] == core::pack::kRecordingDate)
        std::copy_n(std::array<std::uint8_t, 4>{0xFF, 0x11, 0x03, 0x26}.begin(), 4, p + 1);
    if (p[0] == core::pack::kRecordingTime)
        std::copy_n(std::array<std::uint8_t, 4>{0xFF, 0x00, 0x30, 0x08}.begin(), 4, p + 1);
}

void wrongDateInSequence(std::span<std::uint8_t> frame, int nseq, int target)
{
    forEachPack(frame, nseq, [&](int s, int, std::uint8_t *p) {
        if (s == target)
            putWrongDate(p);
    });
}

struct DamageCase {
    const char *what;
    Damage damage;
    bool noMajority; // the damaged frames have no datecode
    bool readWhole;  // the damaged frames are read whole by the scan
};

const DamageCase kDamageCases[] = {
    {"sequence 0 holds a wrong date", [](auto f, int n) { wrongDateInSequence(f, n, 0); }, false, true},
    {"sequence 3 holds a wrong date", [](auto f, int n) { wrongDateInSequence(f, n, 3); }, false, false},
    // A dropout over the tracks of the first two sequences: they agree on a date no other copy
    // holds, and announce a new recording that the whole frame's vote refuses.
    {"sequences 0 and 1 hold the same wrong date",
     [](auto f, int n) {
         wrongDateInSequence(f, n, 0);
         wrongDateInSequence(f, n, 1);
     },
     false, true},
    {"the first half of the sequences blank",
     [](std::span<std::uint8_t> f, int n) {
         for (int s = 0; s < n / 2; ++s)
             std::fill_n(f.begin() + static_cast<std::ptrdiff_t>(core::kDifSequenceSize * s + 80), 400, 0xFF);
     },
     false, true},
    {"the subcode copies say another date than the VAUX copies",
     [](std::span<std::uint8_t> f, int n) {
         forEachPack(f, n, [](int, int block, std::uint8_t *p) {
             if (block <= 2)
                 putWrongDate(p);
         });
     },
     false, false},
    {"every copy of the date differs",
     [](std::span<std::uint8_t> f, int n) {
         int k = 0;
         forEachPack(f, n, [&](int, int, std::uint8_t *p) {
             if (p[0] != core::pack::kRecordingDate)
                 return;
             const int day = 1 + k % 28;
             const int month = 1 + (k / 28) % 12;
             p[2] = static_cast<std::uint8_t>((day / 10) << 4 | day % 10);
             p[3] = static_cast<std::uint8_t>((month / 10) << 4 | month % 10);
             ++k;
         });
     },
     true, true},
};

// The date packs of the frame hold no date: what an unreadable datecode looks like.
void blankDates(std::span<std::uint8_t> frame, int nseq)
{
    forEachPack(frame, nseq, [](int, int, std::uint8_t *p) {
        if (p[0] == core::pack::kRecordingDate)
            std::fill_n(p + 1, 4, 0xFF);
    });
}

// A copy of a fixture with the given frames damaged; frames are found through the index.
std::filesystem::path damagedCopy(const std::string &fixture, const std::vector<std::size_t> &frames, Damage damage,
                                  const std::filesystem::path &dir)
{
    auto bytes = test::readBytes(test::fixturePath(fixture));
    auto reader = openReader(test::fixturePath(fixture));
    for (const std::size_t i : frames) {
        const media::SampleEntry entry = reader->frame(i);
        damage(std::span(bytes).subspan(entry.offset, entry.size), core::SequencesForFrameSize(entry.size));
    }
    std::filesystem::create_directories(dir);
    const auto path = dir / fixture;
    test::writeBytes(path, bytes);
    return path;
}

} // namespace

// A damaged copy of a date among dozens does not decide the frame: the scan and the detector
// fed whole frames read the damaged tapes as the undamaged ones, scene for scene. When the
// copies agree on nothing, the frame has no datecode, as when its date is unreadable.
TEST(DatecodeScan, DamagedFramesReadAsMostOfTheirCopiesSay)
{
    // Inside a recording, at the first frame of one, at the last frame of one and of the tape.
    const std::vector<std::size_t> damaged = {25, 50, 99, 124};
    const auto dir = test::scratchDir("DatecodeScanDamaged");
    // Raw DV, and a type 2 file whose frames the scan finds through the index among audio chunks.
    for (const char *fixture : {"tape_three.dv", "tape_three-type2.avi"}) {
        const ScanRun healthy = scan(test::fixturePath(fixture), false);
        ASSERT_EQ(healthy.scenes, (Scenes{{0, 50}, {50, 100}, {100, 125}}));
        const ScanRun unreadable = scan(damagedCopy(fixture, damaged, blankDates, dir / "blank"), false);
        for (const auto &c : kDamageCases) {
            SCOPED_TRACE(std::string(fixture) + ": " + c.what);
            const auto path = damagedCopy(fixture, damaged, c.damage, dir / "damaged");
            const ScanRun fast = scan(path, true);
            const ScanRun whole = scan(path, false);
            const ScanRun &expected = c.noMajority ? unreadable : healthy;
            EXPECT_EQ(fast.scenes, expected.scenes);
            EXPECT_EQ(whole.scenes, expected.scenes);
            ASSERT_EQ(fast.records.size(), expected.records.size());
            ASSERT_EQ(whole.records.size(), expected.records.size());
            for (std::size_t i = 0; i < expected.records.size(); ++i) {
                ASSERT_EQ(fast.records[i], expected.records[i]) << "frame " << i;
                ASSERT_EQ(whole.records[i], expected.records[i]) << "frame " << i;
            }
            // The damaged frames, and the frames that start a recording (at most 50 and 100).
            EXPECT_GE(fast.result.wholeFrameReads, c.readWhole ? damaged.size() : 0u);
            EXPECT_LE(fast.result.wholeFrameReads, (c.readWhole ? damaged.size() : 0u) + 2);
        }
    }
}

// Reading ahead changes how the bytes come, never which: on files evicted from memory, the scan
// and the whole-frame reading give the same records, record for record, with and without it,
// for healthy, damaged and truncated tapes.
TEST(DatecodeScan, ReadingAheadOnEvictedFilesGivesTheSameRecords)
{
    const auto dir = test::scratchDir("DatecodeScanReadAhead");
    struct Tape {
        std::filesystem::path path;
        bool walkedCold; // long enough that the frame reads find the file not in memory
    };
    std::vector<Tape> tapes;
    // Own copies, so that no other test brings their pages back into memory during the runs.
    for (const auto &c : kCases) {
        const auto source = pathOf(c);
        if (source.empty())
            continue;
        const auto copy = dir / "tapes" / c.file;
        std::filesystem::create_directories(copy.parent_path());
        std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
        tapes.push_back({copy, c.file.rfind("tape_three", 0) == 0});
    }
    const std::vector<std::size_t> damaged = {25, 50, 99, 124};
    for (const char *fixture : {"tape_three.dv", "tape_three-type2.avi"})
        for (const auto &c : kDamageCases)
            tapes.push_back(
                {damagedCopy(fixture, damaged, c.damage, dir / "damaged" / std::to_string(tapes.size())), true});
    const auto source = test::readBytes(test::fixturePath("tape_three-type1.avi"));
    for (const double fraction : {0.55, 0.9}) {
        auto bytes = source;
        bytes.resize(static_cast<std::size_t>(static_cast<double>(bytes.size()) * fraction));
        const auto path = dir / ("cut" + std::to_string(static_cast<int>(fraction * 100)) + ".avi");
        test::writeBytes(path, bytes);
        tapes.push_back({path, true});
    }

    for (const Tape &tape : tapes) {
        for (const bool fast : {true, false}) {
            SCOPED_TRACE(tape.path.string() + (fast ? ": scan" : ": whole frames"));
            const ScanRun plain = scan(tape.path, ScanWay{fast, false, true, nullptr});
            const ScanRun ahead = scan(tape.path, ScanWay{fast, true, true, nullptr});
            EXPECT_EQ(plain.rangesAnnounced, 0u);
            // The scan's sparse reads find the evicted pages missing. Whole frames are read in
            // order, which the kernel's own read-ahead may have brought in first on a slow
            // build (sanitizers), so there the announcing is not asserted.
            if (tape.walkedCold && fast) {
                EXPECT_GT(ahead.rangesAnnounced, 0u);
            }
            EXPECT_EQ(ahead.scenes, plain.scenes);
            EXPECT_EQ(ahead.result.framesScanned, plain.result.framesScanned);
            EXPECT_EQ(ahead.result.wholeFrameReads, plain.result.wholeFrameReads);
            EXPECT_EQ(ahead.result.framesSkipped, plain.result.framesSkipped);
            EXPECT_EQ(ahead.bytesRead, plain.bytesRead);
            ASSERT_EQ(ahead.records.size(), plain.records.size());
            ASSERT_FALSE(ahead.records.empty());
            for (std::size_t i = 0; i < plain.records.size(); ++i)
                ASSERT_EQ(ahead.records[i], plain.records[i]) << "frame " << i;
        }
    }
}
