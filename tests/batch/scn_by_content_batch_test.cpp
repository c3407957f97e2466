// End-to-end runs of "Create a scn file with content" through `camlog --batch`: the scn file
// written beside the video, read back by our scn reader.
#include "batch/batch_folder_test.h"
#include "batch/batch_runner.h"

#include "scenes/scn_file.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;
using Scenes = std::vector<std::pair<int, int>>;

class ScnByContentBatchTest : public BatchFolderTest {
protected:
    ScnByContentBatchTest() : BatchFolderTest("scn_by_content_batch") {}

    static Scenes ScenesOf(const fs::path &scn)
    {
        scenes::SceneList list;
        scenes::SceneContext context;
        context.frameRate = 25;
        EXPECT_TRUE(scenes::ReadScnFile(scn, list, context).ok()) << scn;
        Scenes result;
        for (const auto &item : list)
            if (item.scene)
                result.emplace_back(item.scene->start, item.scene->end);
        return result;
    }
};

// Three shots of different pictures give a break at the first frame of each new shot; a moving
// shot without cut and a short MPEG-4 clip give one scene over the whole video.
TEST_F(ScnByContentBatchTest, BreaksFallOnTheCuts)
{
    const struct {
        const char *fixture;
        Scenes scenes;
    } cases[] = {
        {"content_three.avi", {{0, 50}, {50, 100}, {100, 150}}},
        {"content_static.avi", {{0, 75}}},
        {"nondv_mpeg4.avi", {{0, 50}}},
    };
    for (const auto &c : cases) {
        const fs::path video = Copy(c.fixture);
        const BatchResult result = runner.batch({"--yes", "/o=" + video.string(), "/$"});
        EXPECT_EQ(result.status, 0) << c.fixture << result.out << result.err;
        fs::path scn = video;
        scn.replace_extension(".scn");
        EXPECT_EQ(ScenesOf(scn), c.scenes) << c.fixture;
    }
}

// A video cut short fails with the decoder's reason and leaves the scn file that was there.
TEST_F(ScnByContentBatchTest, TruncatedVideoKeepsTheScnFileThatWasThere)
{
    const fs::path video = Copy("content_three.avi");
    fs::resize_file(video, fs::file_size(video) / 2);
    const fs::path scn = videos / "content_three.scn";
    const std::vector<std::uint8_t> earlier = {'s', 'c', 'n', 0, 1, 2};
    writeBytes(scn, earlier);
    const BatchResult result = runner.batch({"--yes", "/o=" + video.string(), "/$"});
    EXPECT_NE(result.out + result.err, "");
    EXPECT_EQ(readBytes(scn), earlier) << result.out << result.err;
}

} // namespace
} // namespace camlog::test
