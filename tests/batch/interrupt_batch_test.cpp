// A conversion of a larger tape interrupted by signals while it writes: what stays on disk.
// Each run is frozen (SIGSTOP) once its hidden temporary file holds data, signalled, and let go
// again, so the signals always land in the middle of the conversion.
#include "batch/batch_runner.h"

#include "media/media_test_support.h"
#include "media/reading/dv_frame_reader.h"
#include "media/writing/dv_avi_writer.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;

// About 430 MB of type 1: long enough to be caught in the middle of its conversion.
constexpr std::size_t kBigFrames = 3000;

class InterruptBatchTest : public ::testing::Test {
protected:
    // ctest runs each test in a process of its own, several at once: every test writes its own
    // tape in its own folder.
    InterruptBatchTest() : root(scratchDir("interrupt_batch")), runner(root), videos(root / "v")
    {
        fs::create_directories(videos);
        source = videos / "BIG.avi";
        destination = videos / "BIG_type2.avi";
    }
    ~InterruptBatchTest() override { fs::remove_all(root); }

    void SetUp() override
    {
        const DvFrames frames = readDvFrames(fixturePath("tape_three-type1.avi"));
        ASSERT_FALSE(frames.empty());
        const auto format = media::DvAviFormat::fromFrame(frames[0], media::DvAviType::Type1);
        ASSERT_TRUE(format);
        auto writer = media::DvAviWriter::create(source, *format);
        ASSERT_TRUE(writer);
        for (std::size_t i = 0; i < kBigFrames; ++i)
            ASSERT_TRUE(writer.value()->writeFrame(frames[i % frames.size()]));
        ASSERT_TRUE(writer.value()->finish());
    }

    // The hidden temporary files of the destination: ".BIG_type2.avi.~PID-N".
    std::vector<fs::path> temporaries() const
    {
        std::vector<fs::path> found;
        const std::string prefix = "." + destination.filename().string() + ".~";
        for (const auto &entry : fs::directory_iterator(videos))
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                found.push_back(entry.path());
        return found;
    }

    // Starts the conversion; once its temporary file holds data, freezes it, sends the
    // signals, lets it go and waits for its end.
    BatchResult convertAndSignal(const std::vector<int> &signals)
    {
        const RunningProgram program = runner.startBatch({"--yes", "/o=" + source.string(), "/2"});
        EXPECT_GT(program.pid, 0) << program.error;
        bool caught = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!caught && std::chrono::steady_clock::now() < deadline) {
            for (const fs::path &temporary : temporaries()) {
                std::error_code ec;
                if (fs::file_size(temporary, ec) > 4'000'000 && !ec)
                    caught = true;
            }
            if (!caught)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ::kill(program.pid, SIGSTOP);
        EXPECT_TRUE(caught) << "the conversion was not seen writing";
        EXPECT_EQ(temporaries().size(), 1u) << "the conversion ended before it was caught";
        for (const int signal : signals)
            ::kill(program.pid, signal);
        ::kill(program.pid, SIGCONT);
        return runner.wait(program);
    }

    std::size_t framesOf(const fs::path &path) const
    {
        auto reader = media::DvFrameReader::open(path);
        return reader ? reader.value()->frameCount() : 0;
    }

    fs::path root;
    BatchRunner runner;
    fs::path videos;
    fs::path source;
    fs::path destination;
};

// A complete earlier output, answered Yes to be replaced, survives an interrupted run
// untouched, and no partial file is left beside it.
TEST_F(InterruptBatchTest, AnInterruptedRunKeepsTheCompleteFileItWasReplacing)
{
    ASSERT_EQ(runner.batch({"--yes", "/o=" + source.string(), "/2"}).status, 0);
    ASSERT_EQ(framesOf(destination), kBigFrames);
    struct stat before {};
    ASSERT_EQ(::stat(destination.c_str(), &before), 0);

    const BatchResult result = convertAndSignal({SIGINT});
    EXPECT_EQ(result.signal, 0) << result.err;
    struct stat after {};
    ASSERT_EQ(::stat(destination.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the earlier file was replaced";
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(framesOf(destination), kBigFrames);
    EXPECT_TRUE(temporaries().empty());
}

struct SignalCase {
    const char *name;
    std::vector<int> signals;
    bool partialKept; // the run stopped in order and finished what it had written
};

void PrintTo(const SignalCase &c, std::ostream *out)
{
    *out << c.name;
}

class InterruptSignalTest : public InterruptBatchTest, public ::testing::WithParamInterface<SignalCase> {};

// No signal the program can see leaves its temporary file behind: a hang-up stops the run in
// order as SIGTERM does, a second interrupt ends the program at once after removing it.
TEST_P(InterruptSignalTest, LeavesNoTemporaryFile)
{
    const BatchResult result = convertAndSignal(GetParam().signals);
    EXPECT_EQ(result.signal, 0) << "ended by a signal it did not handle";
    EXPECT_NE(result.status, 0);
    EXPECT_TRUE(temporaries().empty());
    if (GetParam().partialKept) {
        const std::size_t frames = framesOf(destination);
        EXPECT_GT(frames, 0u);
        EXPECT_LT(frames, kBigFrames);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptSignalTest,
                         ::testing::Values(SignalCase{"hangup", {SIGHUP}, true},
                                           SignalCase{"terminate", {SIGTERM}, true},
                                           SignalCase{"interrupt_twice", {SIGINT, SIGTERM}, false},
                                           SignalCase{"hangup_then_interrupt", {SIGHUP, SIGINT}, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// A run killed outright leaves its temporary file; the next run over the same destination
// removes it, but not the temporary file of a program that is still running.
TEST_F(InterruptBatchTest, TheNextRunRemovesTheTemporaryFileOfAKilledRun)
{
    const BatchResult killed = convertAndSignal({SIGKILL});
    EXPECT_EQ(killed.signal, SIGKILL);
    ASSERT_EQ(temporaries().size(), 1u);
    const fs::path alive = videos / ("." + destination.filename().string() + ".~" + std::to_string(::getpid()) + "-0");
    WriteText(alive, "a running program's file");

    const BatchResult next = runner.batch({"--yes", "/o=" + source.string(), "/2"});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(framesOf(destination), kBigFrames);
    EXPECT_EQ(temporaries(), std::vector<fs::path>{alive});
}

} // namespace
} // namespace camlog::test
