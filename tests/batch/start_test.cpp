// What the camlog command maps when it starts: a listing and a batch scan never load FFmpeg, the
// office libraries nor Qt's window libraries; FFmpeg comes when a run needs it; the window program is started in the
// command's place, and a missing one is a clear error.
#include "batch/batch_runner.h"

#include "support/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

class StartTest : public ::testing::Test {
protected:
    StartTest() : root(scratchDir("start")), runner(root) {}

    // The run with the dynamic loader's report of every library it opens on standard error.
    BatchResult RunReportingLibraries(const std::vector<std::string> &args)
    {
        ::setenv("LD_DEBUG", "files", 1);
        BatchResult result = runner.run(args);
        ::unsetenv("LD_DEBUG");
        return result;
    }

    fs::path Copy(const std::string &fixture)
    {
        const fs::path target = root / fixture;
        fs::copy_file(fixturePath(fixture), target, fs::copy_options::overwrite_existing);
        return target;
    }

    fs::path root;
    BatchRunner runner;
};

TEST_F(StartTest, ListingsAndScansLoadNeitherFfmpegNorTheWindowLibraries)
{
    const std::string tape = Copy("tape_three-type2.avi").string();
    const std::vector<std::vector<std::string>> runs = {
        {"--version"},
        {"--help"},
        {"--list", tape},
        {"--batch", "--yes", "/o=" + tape, "/createscnbydate"},
    };
    for (const auto &args : runs) {
        const BatchResult result = RunReportingLibraries(args);
        ASSERT_EQ(result.status, 0) << args.front() << "\n" << result.err;
        for (const char *library : {"file=libavcodec.so", "file=libavformat.so", "file=libQt6Widgets.so",
                                    "file=libzip.so", "file=libxlsxwriter.so"})
            EXPECT_THAT(result.err, Not(HasSubstr(library))) << args.front() << " " << args.back();
    }
    EXPECT_TRUE(fs::exists(root / "tape_three-type2.scn"));
}

// A listing of a video that only FFmpeg reads opens FFmpeg then, and reads the video through it.
TEST_F(StartTest, FfmpegIsLoadedWhenARunNeedsIt)
{
    const std::string video = Copy("nondv_mpeg4.avi").string();
    const BatchResult result = RunReportingLibraries({"--list", "--no-scenes", video});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("file=libavformat.so"));
    EXPECT_THAT(result.out, HasSubstr("FMP4"));
}

// Without the window program beside the command nor in the install's folder, asking for the window
// says so and ends with status 1.
TEST_F(StartTest, AMissingWindowProgramIsNamed)
{
    const fs::path alone = root / "bin" / "camlog";
    fs::create_directories(alone.parent_path());
    fs::copy_file(CamlogProgram(), alone);
    const std::string command =
        alone.string() + " /o=clip.avi > " + (root / "out").string() + " 2> " + (root / "err").string();
    const int status = std::system(("env DISPLAY=:0 " + command).c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::vector<std::uint8_t> err = readBytes(root / "err");
    EXPECT_THAT(std::string(err.begin(), err.end()),
                HasSubstr("the window program (camlog-window) is not installed beside " + alone.string()));
}

} // namespace
} // namespace camlog::test
