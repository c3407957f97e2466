// End-to-end runs of "Export a share copy" (/mp4) and "Export a share copy of each scene" (/mp4s)
// through `camlog --batch`; the MP4 files are read back by ffprobe and ffmpeg and set against
// the scn file and the srt file the program writes for the same tape.
#include "batch/batch_folder_test.h"
#include "batch/batch_runner.h"

#include "core/dv_frame.h"
#include "media/media_test_support.h"
#include "scenes/scn_file.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;

std::string probe(const fs::path &path, const std::string &what)
{
    return runCommand("ffprobe -v error " + what + " -of csv=p=0 '" + path.string() + "' 2>&1").output;
}

// start --> end and the text lines of every cue of an srt text.
std::vector<std::string> cues(const std::string &srt)
{
    std::vector<std::string> all;
    std::istringstream in(srt);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        all.push_back(line);
    }
    std::vector<std::string> result;
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i + 1].find(" --> ") == std::string::npos)
            continue;
        std::string cue = all[i + 1];
        for (i += 2; i < all.size() && !all[i].empty(); ++i)
            cue += "|" + all[i];
        result.push_back(cue);
    }
    return result;
}

// The recording date and time of a frame in the chapter titles' pattern.
std::string datecodeText(const std::vector<std::uint8_t> &frame)
{
    core::TDatecode d;
    if (!core::ReadDatecode(frame, core::SequencesForFrameSize(frame.size()), d))
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute,
                  d.second);
    return text;
}

class ShareCopyBatchTest : public BatchFolderTest {
protected:
    ShareCopyBatchTest() : BatchFolderTest("share_copy_batch")
    {
        ::setenv("TZ", "UTC", 1);
        Settings("Format pour Afficher Datecode=yyyy-mm-dd hh:nn:ss\r\nWhen Incrust=0\r\nformatdate1=yyyy-mm-dd\r\n"
                 "formatdate2=hh:nn:ss\r\nShare preset=ultrafast\r\n");
    }
};

// The chapters are the scn file's scenes, titled by their first frame's datecode; the subtitles
// are the srt file's; the copy is dated by its first recording.
TEST_F(ShareCopyBatchTest, TheCopyMatchesTheScnAndSrtFilesOfTheTape)
{
    const fs::path source = Copy("tape_three-type1.avi", "clip.avi");
    const BatchResult result = runner.batch({"--yes", "/o=" + source.string(), "/mp4", "/cd", "/sr"});
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path mp4 = videos / "clip.mp4";
    ASSERT_TRUE(fs::exists(mp4));

    scenes::SceneList scenes;
    scenes::SceneContext context;
    context.frameRate = 25.0;
    ASSERT_TRUE(scenes::ReadScnFile(videos / "clip.scn", scenes, context).ok());
    const DvFrames frames = readDvFrames(source);
    std::string expected;
    for (const scenes::SceneItem &item : scenes) {
        char line[96];
        std::snprintf(line, sizeof line, "%.6f,%.6f,", item.scene->start / 25.0, item.scene->end / 25.0);
        expected += line + datecodeText(frames[static_cast<std::size_t>(item.scene->start)]) + "\n";
    }
    EXPECT_EQ(scenes.size(), 3u);
    EXPECT_EQ(probe(mp4, "-show_entries chapter=start_time,end_time:chapter_tags=title"), expected);

    const auto srt = cues(runCommand("cat '" + (videos / "clip.srt").string() + "'").output);
    EXPECT_EQ(srt.size(), 5u);
    EXPECT_EQ(cues(runCommand("ffmpeg -v error -i '" + mp4.string() + "' -map 0:s:0 -f srt -").output), srt);
    EXPECT_EQ(probe(mp4, "-show_entries format_tags=creation_time"), "2024-05-01T10:00:00.000000Z\n");
}

// Each scene of the scn file (made by datecode first) becomes its own copy, dated by its own
// recording, in the folder for saving.
TEST_F(ShareCopyBatchTest, EachSceneGetsItsCopyDatedByItsRecording)
{
    const fs::path saved = root / "saved";
    fs::create_directories(saved);
    Settings("Format pour Afficher Datecode=yyyy-mm-dd hh:nn:ss\r\nShare preset=ultrafast\r\n"
             "Save in the same folder=0\r\nDossier pour Sauver="
             + saved.string() + "\r\n");
    const fs::path source = Copy("tape_three-type2.avi", "clip.avi");
    const BatchResult result = runner.batch({"--yes", "/o=" + source.string(), "/mp4s"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(videos / "clip.scn")) << "the scn file is made by datecode first";
    struct Scene {
        const char *name;
        double seconds;
        const char *created;
        const char *chapter;
    };
    for (const Scene &scene :
         {Scene{"clip_scene_1.mp4", 2.0, "2024-05-01T10:00:00.000000Z\n", "2024-05-01 10:00:00"},
          Scene{"clip_scene_2.mp4", 2.0, "2024-05-01T10:05:00.000000Z\n", "2024-05-01 10:05:00"},
          Scene{"clip_scene_3.mp4", 1.0, "2024-05-01T09:00:00.000000Z\n", "2024-05-01 09:00:00"}}) {
        SCOPED_TRACE(scene.name);
        const fs::path mp4 = saved / scene.name;
        ASSERT_TRUE(fs::exists(mp4));
        EXPECT_NEAR(std::stod(probe(mp4, "-select_streams v:0 -show_entries stream=duration")), scene.seconds, 0.04);
        EXPECT_EQ(probe(mp4, "-show_entries format_tags=creation_time"), scene.created);
        EXPECT_EQ(probe(mp4, "-show_entries chapter_tags=title"), std::string(scene.chapter) + "\n");
    }
    EXPECT_EQ(FilesIn(saved), 3u);
}

TEST_F(ShareCopyBatchTest, AnExistingCopyIsReplacedOnlyWithConsent)
{
    const fs::path source = Copy("pal_16x9_32k-type1.avi", "clip.avi");
    const fs::path mp4 = videos / "clip.mp4";
    writeBytes(mp4, std::vector<std::uint8_t>(1000, 0x55));
    runner.batch({"--no", "/o=" + source.string(), "/mp4"});
    EXPECT_EQ(fs::file_size(mp4), 1000u);
    const BatchResult yes = runner.batch({"--yes", "/o=" + source.string(), "/mp4"});
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_EQ(probe(mp4, "-select_streams v:0 -show_entries stream=codec_name,width,height"), "h264,1024,576\n");
}

TEST_F(ShareCopyBatchTest, ATruncatedTapeFailsWithItsNameAndLeavesNothingBehind)
{
    const fs::path source = videos / "bad.avi";
    auto bytes = readBytes(fixturePath("tape_three-type2.avi"));
    bytes.resize(bytes.size() * 6 / 10);
    writeBytes(source, bytes);
    const BatchResult result = runner.batch({"--yes", "/o=" + source.string(), "/mp4"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("bad.avi"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(videos / "bad.mp4"));
    EXPECT_EQ(FilesIn(videos), 1u) << "a temporary file was left behind";
}

} // namespace
} // namespace camlog::test
