// End-to-end runs of the recompression into DV type 2 through `camlog --batch` on non-DV AVI
// files; every output is read back by ffprobe and by our DV frame reader.
#include "batch/batch_folder_test.h"
#include "batch/batch_runner.h"

#include "core/dv_frame.h"
#include "media/media_test_support.h"
#include "media/writing/dv_avi_writer.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;

class ReencodeBatchTest : public BatchFolderTest {
protected:
    ReencodeBatchTest() : BatchFolderTest("reencode_batch") {}

    BatchResult Recompress(const fs::path &file, const std::string &answer = "--yes")
    {
        return runner.batch({answer, "/o=" + file.string(), "/g"});
    }
};

struct SettingsCase {
    const char *name;
    const char *fixture;
    const char *settings;
    const char *videoFormat; // what ffprobe reads of the picture stream
    const char *aspect;
    const char *audioFormat;
    int frames; // the source's duration in frames of the target system
    double frameSeconds;
};

class RecompressSettingsTest : public ReencodeBatchTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(RecompressSettingsTest, TheOutputIsDvType2OfTheSettings)
{
    const SettingsCase &c = GetParam();
    Settings(c.settings);
    const fs::path source = Copy(c.fixture, "clip.avi");
    const BatchResult result = Recompress(source);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path out = videos / "clip_dvtype2.avi";
    ASSERT_TRUE(fs::exists(out)) << result.err;

    EXPECT_EQ(ffprobeCsv(out, "-select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate"),
              c.videoFormat);
    EXPECT_EQ(ffprobeCsv(out, "-select_streams v:0 -show_entries stream=display_aspect_ratio"), c.aspect);
    EXPECT_EQ(ffprobeCsv(out, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"),
              std::to_string(c.frames) + "\n");
    EXPECT_EQ(ffprobeCsv(out, "-select_streams a:0 -show_entries stream=codec_name,sample_rate,channels"),
              c.audioFormat);
    EXPECT_NEAR(ffprobeAudioEnd(out), c.frames * c.frameSeconds, 0.002);
    // What our reader sees: whole DV frames, each marked with the shape and carrying its sound.
    const DvFrames frames = readDvFrames(out);
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(c.frames));
    const auto format = media::DvAviFormat::fromFrame(frames.back(), media::DvAviType::Type2);
    ASSERT_TRUE(format.has_value());
    EXPECT_EQ(format->wide, std::string(c.aspect) == "16:9\n");
    ASSERT_EQ(format->audio.size(), 1u);
    EXPECT_EQ(std::to_string(format->audio[0].sampleRate), ffprobeCsv(out, "-select_streams a:0 -show_entries "
                                                                           "stream=sample_rate")
                                                               .substr(0, 5));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RecompressSettingsTest,
    ::testing::Values(
        // The defaults: Pal, 4:3, 48 kHz. The 2 s of MPEG-4 at 25 fps with 44.1 kHz mono sound.
        SettingsCase{"mpeg4_defaults", "nondv_mpeg4.avi", "", "dvvideo,720,576,25/1\n", "4:3\n", "pcm_s16le,48000,2\n",
                     50, 0.04},
        // NTSC, 16:9, 32 kHz from MJPEG at 30 fps with AAC sound: 61 pictures of 1/30 s.
        SettingsCase{"mjpeg_ntsc_wide_32k", "nondv_mjpeg_aac.avi", "standard DV=1\r\nratio DV=1\r\nFrequence DV=0\r\n",
                     "dvvideo,720,480,30000/1001\n", "16:9\n", "pcm_s16le,32000,2\n", 61, 1001.0 / 30000},
        // MPEG-4 with MP3 sound, Pal at 44.1 kHz; the file's pictures run to 2.04 s.
        SettingsCase{"mp3_pal_44k", "nondv_mpeg4_mp3.avi", "Frequence DV=1\r\n", "dvvideo,720,576,25/1\n", "4:3\n",
                     "pcm_s16le,44100,2\n", 51, 0.04}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReencodeBatchTest, TheDestinationFollowsTheSaveFolder)
{
    const fs::path saved = root / "saved";
    fs::create_directories(saved);
    Settings("Save in the same folder=0\r\nDossier pour Sauver=" + saved.string() + "\r\n");
    const BatchResult result = Recompress(Copy("nondv_mpeg4.avi", "clip.avi"));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(saved / "clip_dvtype2.avi")) << result.err;
    EXPECT_FALSE(fs::exists(videos / "clip_dvtype2.avi"));
}

TEST_F(ReencodeBatchTest, AnExistingDestinationIsReplacedOnlyWithConsent)
{
    const fs::path source = Copy("nondv_mpeg4.avi", "clip.avi");
    const fs::path out = videos / "clip_dvtype2.avi";
    writeBytes(out, std::vector<std::uint8_t>(1000, 0x55));
    Recompress(source, "--no");
    EXPECT_EQ(fs::file_size(out), 1000u);
    const BatchResult yes = Recompress(source, "--yes");
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_EQ(ffprobeCsv(out, "-select_streams v:0 -show_entries stream=codec_name"), "dvvideo\n");
}

TEST_F(ReencodeBatchTest, ATruncatedSourceFailsAndLeavesNothingBehind)
{
    const fs::path source = videos / "cut.avi";
    auto bytes = readBytes(fixturePath("nondv_mjpeg_aac.avi"));
    bytes.resize(bytes.size() * 2 / 3);
    writeBytes(source, bytes);
    const BatchResult result = Recompress(source);
    EXPECT_NE(result.err.find("An error occurred while compressing"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("cut short"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(videos / "cut_dvtype2.avi"));
    EXPECT_EQ(FilesIn(videos), 1u); // no temporary file either
}

TEST_F(ReencodeBatchTest, ExtractAudioOfAnMpeg4FileWritesItsSound)
{
    for (const char *fixture : {"nondv_mpeg4.avi", "nondv_mpeg4_mp3.avi"}) {
        SCOPED_TRACE(fixture);
        const fs::path source = Copy(fixture, "clip.avi");
        const BatchResult result = runner.batch({"--yes", "/o=" + source.string(), "/w"});
        ASSERT_EQ(result.status, 0) << result.err;
        const fs::path wav = videos / "clip.wav";
        ASSERT_TRUE(fs::exists(wav)) << result.err;
        // The handler asks for the rate the file's audio description gives: the source's own.
        EXPECT_EQ(ffprobeCsv(wav, "-show_entries stream=codec_name,sample_rate,channels"),
                  ffprobeCsv(source, "-select_streams a:0 -show_entries stream=sample_rate,channels")
                      .insert(0, "pcm_s16le,"));
        EXPECT_NEAR(std::stod(ffprobeCsv(wav, "-show_entries format=duration")), 2.0, 0.05);
        fs::remove(wav);
    }
}

} // namespace
} // namespace camlog::test
