// End-to-end runs of `camlog --batch` on input that is not what it seems: files that cannot be
// read, a FIFO named as a video, and AVI files whose capture dropped pictures.
#include "batch/batch_folder_test.h"
#include "batch/batch_runner.h"

#include "media/media_test_support.h"
#include "scenes/scn_file.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;

class BadInputBatchTest : public BatchFolderTest {
protected:
    BadInputBatchTest() : BatchFolderTest("bad_input_batch") {}

    // Runs the batch and kills it when it has not ended after a minute (a run that hangs fails
    // the test instead of hanging it).
    BatchResult BatchWithin(const std::vector<std::string> &args)
    {
        const RunningProgram program = runner.startBatch(args);
        EXPECT_GT(program.pid, 0) << program.error;
        std::atomic<bool> ended{false};
        std::thread watchdog([&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!ended && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (!ended)
                ::kill(program.pid, SIGKILL);
        });
        BatchResult result = runner.wait(program);
        ended = true;
        watchdog.join();
        return result;
    }
};

struct UnreadableCase {
    const char *name;
    std::vector<std::uint8_t> bytes;
    bool fifo;
    const char *reason;
};

std::vector<std::uint8_t> randomBytes(std::size_t size)
{
    std::mt19937 generator(21);
    std::vector<std::uint8_t> bytes(size);
    for (auto &byte : bytes)
        byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

std::vector<std::uint8_t> damagedAvi()
{
    std::vector<std::uint8_t> bytes = {'R', 'I', 'F', 'F', 0xF0, 0, 0, 0, 'A', 'V', 'I', ' '};
    const auto rest = randomBytes(240);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

// A file named with /o that cannot be read is named with the reason at the opening, and the
// run ends at once with status 1: the action named found nothing to work on. A FIFO is
// refused without being opened for reading (which would wait for a writer for ever).
TEST_F(BadInputBatchTest, AFileThatCannotBeReadIsNamedWithItsReason)
{
    const UnreadableCase cases[] = {
        {"empty", {}, false, "the file is empty"},
        {"random", randomBytes(4096), false, "it is neither an AVI nor a DV file"},
        {"damaged_avi", damagedAvi(), false, "its AVI headers are damaged or hold no stream Camlog reads"},
        {"fifo", {}, true, "it is not a regular file"},
    };
    for (const auto &c : cases) {
        for (const char *action : {"/g", "/w", "/$"}) {
            SCOPED_TRACE(std::string(c.name) + " " + action);
            const fs::path file = videos / (std::string(c.name) + ".avi");
            fs::remove(file);
            if (c.fifo)
                ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
            else
                writeBytes(file, c.bytes);
            const BatchResult result = BatchWithin({"--yes", "/o=" + file.string(), action});
            EXPECT_EQ(result.signal, 0) << "the run hung";
            EXPECT_EQ(result.status, 1) << result.err;
            EXPECT_NE(result.err.find(file.string() + " cannot be read: " + c.reason), std::string::npos) << result.err;
            EXPECT_EQ(FilesIn(videos), 1u) << "an output was written";
            fs::remove(file);
        }
    }
}

// A file in a folder that may not be searched is not "missing": the system's reason is given.
TEST_F(BadInputBatchTest, AFolderThatMayNotBeSearchedIsNoMissingFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not hold for root";
    const fs::path closed = videos / "closed";
    fs::create_directories(closed);
    const fs::path video = closed / "clip.avi";
    std::filesystem::copy_file(fixturePath("tape_three-type2.avi"), video);
    fs::permissions(closed, fs::perms::none);
    const BatchResult result = BatchWithin({"--yes", "/o=" + video.string(), "/g"});
    fs::permissions(closed, fs::perms::owner_all);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.find("does not exist"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Permission denied"), std::string::npos) << result.err;
}

// Pictures 10 to 12 of the 50 were dropped at capture (chunks without data): the picture before
// them stands in for them, so every command gives 50 frames and the sound stays with them.
TEST_F(BadInputBatchTest, DroppedPicturesRepeatThePictureBefore)
{
    const struct {
        const char *fixture;
        const char *action;
        const char *output;
    } conversions[] = {{"dropped_frames_mpeg4.avi", "/g", "clip_dvtype2.avi"},
                       {"dropped_frames.avi", "/1", "clip_type1.avi"}};
    for (const auto &c : conversions) {
        SCOPED_TRACE(c.action);
        const fs::path source = Copy(c.fixture, "clip.avi");
        ASSERT_EQ(ffprobeCsv(source, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"),
                  "47\n");
        const BatchResult result = BatchWithin({"--yes", "/o=" + source.string(), c.action});
        EXPECT_EQ(result.status, 0) << result.err;
        const fs::path out = videos / c.output;
        EXPECT_EQ(ffprobeCsv(out, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"), "50\n");
        EXPECT_NEAR(ffprobeAudioEnd(out), 2.0, 0.002);
        const DvFrames frames = readDvFrames(out);
        ASSERT_EQ(frames.size(), 50u);
        // The repeats are pictures: the tenth one again.
        EXPECT_EQ(frames[10].size(), frames[9].size());
    }

    const fs::path source = Copy("dropped_frames.avi", "clip.avi");
    const BatchResult scan = BatchWithin({"--yes", "/o=" + source.string(), "/$"});
    EXPECT_EQ(scan.status, 0) << scan.err;
    scenes::SceneList list;
    scenes::SceneContext context;
    context.frameRate = 25;
    ASSERT_TRUE(scenes::ReadScnFile(videos / "clip.scn", list, context).ok()) << scan.err;
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back().scene->end, 50);
}

// A source cut short, and one without a single frame: the commands that read it whole fail with
// the file's name and the reason, and write nothing (the sound of a file cut short would be a
// shorter track that looks complete; a scn file without scenes is no scn file).
TEST_F(BadInputBatchTest, ASourceCutShortOrWithoutFramesWritesNothing)
{
    std::vector<std::uint8_t> cut = readBytes(fixturePath("tape_three-type2.avi"));
    cut.resize(cut.size() * 3 / 5);
    const struct {
        const char *name;
        std::vector<std::uint8_t> bytes;
        const char *action;
        const char *reason;
    } cases[] = {
        {"cut", cut, "/w", "the file ends after"},
        {"zero", readBytes(fixturePath("zero_frames.avi")), "/w", "holds no frame"},
        {"zero", readBytes(fixturePath("zero_frames.avi")), "/$", "no duration"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.action);
        const fs::path source = videos / (std::string(c.name) + ".avi");
        writeBytes(source, c.bytes);
        const BatchResult result = BatchWithin({"--yes", "/o=" + source.string(), c.action});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(source.string()), std::string::npos) << result.err;
        EXPECT_EQ(FilesIn(videos), 1u) << "something was written";
        fs::remove(source);
    }
}

// A file whose every picture is damaged gives thousands of decoder errors: the first few are
// shown, then one line tells how many there were.
TEST_F(BadInputBatchTest, DecoderErrorsOfADamagedFileAreSummedUp)
{
    std::vector<std::uint8_t> bytes = readBytes(fixturePath("tape_three-type2.avi"));
    const std::string text(bytes.begin(), bytes.end());
    std::mt19937 noise(11);
    for (std::size_t at = text.find("00dc"); at != std::string::npos; at = text.find("00dc", at + 144000))
        for (std::size_t k = at + 20000; k < at + 60000 && k < bytes.size(); k += 7)
            bytes[k] = static_cast<std::uint8_t>(noise());
    const fs::path source = videos / "damaged.avi";
    writeBytes(source, bytes);
    const BatchResult result = BatchWithin({"--yes", "/o=" + source.string(), "/n"});
    std::size_t lines = 0;
    for (std::size_t at = result.err.find("camlog: FFmpeg: "); at != std::string::npos;
         at = result.err.find("camlog: FFmpeg: ", at + 1))
        ++lines;
    EXPECT_EQ(lines, 3u) << result.err;
    EXPECT_NE(result.err.find("errors in all (damaged data); only the first 3 are shown"), std::string::npos)
        << result.err;
}

// Writes value (little-endian, 32 bits) at offset of the data of the first chunk `id` found after
// `from` (the chunk's data starts 8 bytes after its id).
std::size_t patchChunk(std::vector<std::uint8_t> &bytes, const std::string &id, std::size_t from, std::size_t offset,
                       std::uint32_t value)
{
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t at = text.find(id, from);
    EXPECT_NE(at, std::string::npos) << id;
    if (at == std::string::npos)
        return 0;
    for (int k = 0; k < 4; ++k)
        bytes[at + 8 + offset + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
    return at;
}

// Headers that lie about the pictures: a picture size of 0 x 0 and a stream rate of 2^31-1 per
// second. The frames tell the truth (Pal, 25 per second): the inlay and the conversion into
// NTSC write every picture, and the inlay stays Pal.
TEST_F(BadInputBatchTest, HeadersThatLieGiveWayToTheFrames)
{
    const auto zeroSize = [](std::vector<std::uint8_t> &bytes) {
        patchChunk(bytes, "avih", 0, 32, 0);
        patchChunk(bytes, "avih", 0, 36, 0);
        const std::size_t vids = patchChunk(bytes, "strh", 0, 0, 0x73646976); // "vids" as it was
        patchChunk(bytes, "strf", vids, 4, 0);
        patchChunk(bytes, "strf", vids, 8, 0);
    };
    const auto corruptRate = [](std::vector<std::uint8_t> &bytes) {
        patchChunk(bytes, "strh", 0, 20, 1);
        patchChunk(bytes, "strh", 0, 24, 0x7FFFFFFF);
    };
    const struct {
        const char *name;
        std::function<void(std::vector<std::uint8_t> &)> patch;
    } cases[] = {{"0x0", zeroSize}, {"rate", corruptRate}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = readBytes(fixturePath("tape_three-type2.avi"));
        c.patch(bytes);
        const fs::path source = videos / "clip.avi";
        writeBytes(source, bytes);

        const BatchResult inlay = BatchWithin({"--yes", "/o=" + source.string(), "/i"});
        EXPECT_EQ(inlay.status, 0) << inlay.err;
        const fs::path inlaid = videos / "clip_in.avi";
        EXPECT_EQ(ffprobeCsv(inlaid, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"),
                  "125\n");
        EXPECT_EQ(ffprobeCsv(inlaid, "-select_streams v:0 -show_entries stream=height"), "576\n");

        const BatchResult ntsc = BatchWithin({"--yes", "/o=" + source.string(), "/n"});
        EXPECT_EQ(ntsc.status, 0) << ntsc.err;
        const std::string frames = ffprobeCsv(
            videos / "clip_ntsc.avi", "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets");
        EXPECT_NEAR(std::atoi(frames.c_str()), 150, 1) << frames;
        for (const char *made : {"clip_in.avi", "clip_ntsc.avi", "clip.avi"})
            fs::remove(videos / made);
    }
}

} // namespace
} // namespace camlog::test
