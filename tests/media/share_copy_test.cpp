// The MP4 share copy of a DV tape, read back by ffprobe and ffmpeg: pictures, sound, subtitles,
// chapters and creation date, and the paths that must leave no file behind.
#include "media/pipeline/processing_module.h"
#include "media/sharecopy/share_copy_source.h"
#include "scenes/write_srt.h"

#include "media_test_support.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <future>
#include <sstream>
#include <thread>

namespace camlog::media {
namespace {

namespace fs = std::filesystem;

PipelineEnd runToEnd(TCdm &cdm)
{
    return test::runGraphToEnd(cdm);
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

// The machine's zone for one test.
class LocalZone {
public:
    explicit LocalZone(const char *zone)
    {
        if (const char *old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~LocalZone()
    {
        if (m_old.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", m_old.c_str(), 1);
        ::tzset();
    }

private:
    std::string m_old;
};

class ShareCopyTest : public ::testing::Test {
protected:
    fs::path out(const std::string &name)
    {
        if (m_dir.empty())
            m_dir = test::scratchDir(std::string("sharecopy_")
                                     + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        return m_dir / name;
    }
    void TearDown() override
    {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }
    ShareCopyPlan plan(const std::string &fixture, const fs::path &dest)
    {
        ShareCopyPlan p;
        p.source = test::fixturePath(fixture);
        p.destination = dest;
        p.preset = "ultrafast";
        p.chapterTitleFormat = "yyyy-mm-dd hh:nn:ss";
        p.captions.timing = 0;
        p.captions.dateFormat1 = "yyyy-mm-dd";
        p.captions.dateFormat2 = "hh:nn:ss";
        return p;
    }
    PipelineEnd copy(const ShareCopyPlan &p)
    {
        const RunResult built = cdm.BuildShareCopy(p);
        EXPECT_TRUE(built) << messageOf(built);
        return runToEnd(cdm);
    }
    TCdm cdm;

private:
    fs::path m_dir;
};

double number(const fs::path &path, const std::string &what)
{
    return std::stod(test::ffprobeCsv(path, what));
}

// The cues of an srt text: start, end and the text lines, as ffmpeg's srt writer and ours give them.
struct Cue {
    std::string times;
    std::vector<std::string> text;
    bool operator==(const Cue &) const = default;
};
std::vector<Cue> srtCues(const std::string &srt)
{
    std::vector<Cue> cues;
    const std::vector<std::string> all = lines(srt);
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i + 1].find(" --> ") == std::string::npos)
            continue;
        Cue cue{all[i + 1], {}};
        for (i += 2; i < all.size() && !all[i].empty(); ++i)
            cue.text.push_back(all[i]);
        cues.push_back(cue);
    }
    return cues;
}

struct FormatCase {
    const char *name;
    const char *fixture;
    const char *video;   // codec, size, pixel and picture shape, field order, rate
    const char *audio;   // codec, rate, channels
    double frameSeconds; // of the tape's pictures
    int frames;          // the tape's pictures, as ffprobe counts them
};

class ShareCopyFormatTest : public ShareCopyTest, public ::testing::WithParamInterface<FormatCase> {};

// Every field becomes a progressive picture with square pixels at the tape's shape; the sound
// keeps its rate; the copy lasts what the tape lasts.
TEST_P(ShareCopyFormatTest, PicturesAndSoundFollowTheTape)
{
    const FormatCase c = GetParam();
    const fs::path dest = out("copy.mp4");
    const PipelineEnd end = copy(plan(c.fixture, dest));
    ASSERT_TRUE(end.ok()) << messageOf(end);
    EXPECT_EQ(test::ffprobeCsv(dest, "-select_streams v:0 -show_entries "
                                     "stream=codec_name,width,height,sample_aspect_ratio,display_aspect_ratio,"
                                     "field_order,r_frame_rate"),
              c.video);
    EXPECT_EQ(test::ffprobeCsv(dest, "-select_streams a:0 -show_entries stream=codec_name,sample_rate,channels"),
              c.audio);
    // One picture per field.
    EXPECT_EQ(number(dest, "-select_streams v:0 -count_frames -show_entries stream=nb_read_frames"), 2 * c.frames);
    const fs::path tape = test::fixturePath(c.fixture);
    EXPECT_EQ(number(tape, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"), c.frames);
    const double source = c.frames * c.frameSeconds;
    EXPECT_NEAR(number(dest, "-select_streams v:0 -show_entries stream=duration"), source, 1.0 / 25);
    EXPECT_NEAR(test::ffprobeAudioEnd(dest), test::ffprobeAudioEnd(tape), 1.0 / 25);
    // The 192 kb/s asked for (a plain tone needs less at the lower rates).
    EXPECT_NEAR(number(dest, "-select_streams a:0 -show_entries stream=bit_rate"), 192000, 192000 / 4);
}

INSTANTIATE_TEST_SUITE_P(
    Tapes, ShareCopyFormatTest,
    ::testing::Values(FormatCase{"pal_4x3", "tape_three-type2.avi", "h264,768,576,1:1,4:3,progressive,50/1\n",
                                 "aac,48000,2\n", 0.04, 125},
                      FormatCase{"pal_16x9_type1", "pal_16x9_32k-type1.avi",
                                 "h264,1024,576,1:1,16:9,progressive,50/1\n", "aac,32000,2\n", 0.04, 25},
                      FormatCase{"ntsc_4x3", "ntsc_4x3_48k-type2.avi", "h264,640,480,1:1,4:3,progressive,60000/1001\n",
                                 "aac,48000,2\n", 1.001 / 30, 29}),
    [](const auto &info) { return std::string(info.param.name); });

// The tape of three recordings: three chapters titled by their dates, the subtitles of the srt
// command, and the first recording's date as creation date, read as the machine's local time.
TEST_F(ShareCopyTest, TheCopyCarriesTheSubtitlesChaptersAndCreationDateOfTheTape)
{
    LocalZone zone("Europe/Paris");
    const fs::path tape = out("tape.avi");
    fs::copy_file(test::fixturePath("tape_three-type2.avi"), tape);
    ShareCopyPlan p = plan("tape_three-type2.avi", out("copy.mp4"));
    p.source = tape;
    const PipelineEnd end = copy(p);
    ASSERT_TRUE(end.ok()) << messageOf(end);

    EXPECT_EQ(test::ffprobeCsv(p.destination, "-show_entries chapter=start_time,end_time:chapter_tags=title"),
              "0.000000,2.000000,2024-05-01 10:00:00\n"
              "2.000000,4.000000,2024-05-01 10:05:00\n"
              "4.000000,5.000000,2024-05-01 09:00:00\n");
    EXPECT_EQ(test::ffprobeCsv(p.destination, "-show_entries format_tags=creation_time"),
              "2024-05-01T08:00:00.000000Z\n");
    EXPECT_EQ(test::ffprobeCsv(p.destination, "-show_entries format_tags=com.apple.quicktime.creationdate"),
              "2024-05-01T10:00:00+0200\n");
    // What photo libraries read.
    EXPECT_EQ(test::runCommand("exiftool -s -s -s -QuickTime:CreationDate '" + p.destination.string() + "'").output,
              "2024:05:01 10:00:00+02:00\n");

    // The srt command's file, made with the same lines.
    const RunResult srtBuilt = cdm.BuildCreerSrt(tape.string());
    ASSERT_TRUE(srtBuilt) << messageOf(srtBuilt);
    auto writer = std::make_shared<scenes::TWriteSrt>(tape.string(), 25.0);
    cdm.CaptionStep().SetCaptionSettings(p.captions);
    cdm.SceneDetect().OnCaption = [writer](const scenes::FrameRecord &record, const std::u16string &line1,
                                           const std::u16string &line2) {
        writer->WriteCaption(static_cast<std::uint32_t>(record.frameNumber), line1, line2);
    };
    ASSERT_TRUE(runToEnd(cdm).ok());
    ASSERT_TRUE(writer->close());
    const std::vector<Cue> expected = srtCues(test::runCommand("cat '" + out("tape.srt").string() + "'").output);
    ASSERT_EQ(expected.size(), 5u); // one per second of recording
    EXPECT_EQ(expected.front().text, (std::vector<std::string>{"2024-05-01", "10:00:00"}));
    const std::vector<Cue> carried =
        srtCues(test::runCommand("ffmpeg -v error -i '" + p.destination.string() + "' -map 0:s:0 -f srt -").output);
    EXPECT_EQ(carried, expected);
}

// A scene's copy holds its frames only: its own chapter, its subtitles from its start, and its
// own recording's date.
TEST_F(ShareCopyTest, ASceneCopyHoldsTheSceneWithItsOwnDates)
{
    LocalZone zone("UTC");
    ShareCopyPlan p = plan("tape_three-type1.avi", out("scene.mp4"));
    p.range = {50, 100};
    const PipelineEnd end = copy(p);
    ASSERT_TRUE(end.ok()) << messageOf(end);
    EXPECT_EQ(number(p.destination, "-select_streams v:0 -count_frames -show_entries stream=nb_read_frames"), 100);
    EXPECT_NEAR(number(p.destination, "-select_streams v:0 -show_entries stream=duration"), 2.0, 1.0 / 25);
    EXPECT_NEAR(test::ffprobeAudioEnd(p.destination), 2.0, 1.0 / 25);
    EXPECT_EQ(test::ffprobeCsv(p.destination, "-show_entries chapter=start_time,end_time:chapter_tags=title"),
              "0.000000,2.000000,2024-05-01 10:05:00\n");
    EXPECT_EQ(test::ffprobeCsv(p.destination, "-show_entries format_tags=creation_time"),
              "2024-05-01T10:05:00.000000Z\n");
    const std::vector<Cue> carried =
        srtCues(test::runCommand("ffmpeg -v error -i '" + p.destination.string() + "' -map 0:s:0 -f srt -").output);
    ASSERT_EQ(carried.size(), 2u);
    EXPECT_EQ(carried[0], (Cue{"00:00:00,000 --> 00:00:01,000", {"2024-05-01", "10:05:00"}}));
    EXPECT_EQ(carried[1], (Cue{"00:00:01,000 --> 00:00:02,000", {"2024-05-01", "10:05:01"}}));
    // The pictures are the scene's: the first one matches ffmpeg's own cut of the tape.
    const std::string ours = test::runCommand("ffmpeg -v error -i '" + p.destination.string()
                                              + "' -frames:v 1 -vf scale=64:48 -f rawvideo -pix_fmt gray -")
                                 .output;
    const std::string theirs =
        test::runCommand("ffmpeg -v error -i '" + test::fixturePath("tape_three-type1.avi").string()
                         + "' -vf 'select=eq(n\\,50),scale=64:48' -frames:v 1 -f rawvideo -pix_fmt gray -")
            .output;
    ASSERT_EQ(ours.size(), theirs.size());
    long difference = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        difference += std::abs(static_cast<unsigned char>(ours[i]) - static_cast<unsigned char>(theirs[i]));
    EXPECT_LT(difference / static_cast<long>(ours.size()), 8);
}

// No datecode anywhere: no chapter, no subtitle, the file's date as creation date, and the
// source says so.
TEST_F(ShareCopyTest, ATapeWithoutDatecodeTakesTheFileDate)
{
    LocalZone zone("UTC");
    const fs::path tape = out("nodate.dv");
    fs::copy_file(test::fixturePath("ntsc_nodate.dv"), tape);
    test::runCommand("touch -d '2003-07-14 15:16:17' '" + tape.string() + "'");
    ShareCopyPlan p = plan("ntsc_nodate.dv", out("copy.mp4"));
    p.source = tape;
    const PipelineEnd end = copy(p);
    ASSERT_TRUE(end.ok()) << messageOf(end);
    EXPECT_TRUE(cdm.ShareCopyUsedFileDate());
    EXPECT_EQ(test::ffprobeCsv(p.destination, "-show_chapters"), "");
    EXPECT_EQ(test::ffprobeCsv(p.destination, "-show_entries stream=codec_type"), "video\n");
    EXPECT_EQ(test::ffprobeCsv(p.destination, "-show_entries format_tags=creation_time"),
              "2003-07-14T15:16:17.000000Z\n");
}

TEST_F(ShareCopyTest, WhatCannotBeCopiedIsRefusedWithItsReason)
{
    ShareCopyPlan notDv = plan("nondv_mpeg4.avi", out("a.mp4"));
    const RunResult notDvBuilt = cdm.BuildShareCopy(notDv);
    EXPECT_FALSE(notDvBuilt);
    EXPECT_NE(messageOf(notDvBuilt).find("nondv_mpeg4.avi"), std::string::npos) << messageOf(notDvBuilt);
    ShareCopyPlan badPreset = plan("pal_16x9_32k-type1.avi", out("b.mp4"));
    badPreset.preset = "warp";
    const RunResult badPresetBuilt = cdm.BuildShareCopy(badPreset);
    EXPECT_FALSE(badPresetBuilt);
    EXPECT_NE(messageOf(badPresetBuilt).find("warp"), std::string::npos) << messageOf(badPresetBuilt);
    EXPECT_FALSE(fs::exists(out("a.mp4")));
    EXPECT_FALSE(fs::exists(out("b.mp4")));
}

// A replaced copy: a finished run replaces the old file; a stop or a cut tape leaves it as it was.
TEST_F(ShareCopyTest, OnlyAFinishedCopyReplacesTheOldOne)
{
    const fs::path dest = out("copy.mp4");
    const std::vector<std::uint8_t> old(1000, 0x55);
    test::writeBytes(dest, old);

    const fs::path cut = out("cut.avi");
    auto bytes = test::readBytes(test::fixturePath("tape_three-type2.avi"));
    bytes.resize(bytes.size() / 2);
    test::writeBytes(cut, bytes);
    ShareCopyPlan truncated = plan("tape_three-type2.avi", dest);
    truncated.source = cut;
    const PipelineEnd failed = copy(truncated);
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(messageOf(failed).find(cut.string()), std::string::npos) << messageOf(failed);
    EXPECT_EQ(test::readBytes(dest), old);

    const RunResult built = cdm.BuildShareCopy(plan("tape_three-type2.avi", dest));
    ASSERT_TRUE(built) << messageOf(built);
    cdm.fg().Run();
    for (int i = 0; i < 1000 && cdm.fg().IsRunning() && cdm.fg().CurrentPosition() < 10'000'000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(cdm.fg().IsRunning()) << "the copy ended before it could be stopped";
    cdm.fg().Stop();
    EXPECT_EQ(test::readBytes(dest), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dest.parent_path()), fs::directory_iterator{}), 2);

    const PipelineEnd done = copy(plan("tape_three-type2.avi", dest));
    ASSERT_TRUE(done.ok()) << messageOf(done);
    EXPECT_EQ(test::ffprobeCsv(dest, "-select_streams v:0 -show_entries stream=codec_name"), "h264\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dest.parent_path()), fs::directory_iterator{}), 2);
}

// Runs in a child process whose file size limit plays a full disk; the exit status says
// which expectation failed (0: all held).
int copyUntilTheDiskIsFull(const ShareCopyPlan &p)
{
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{200 * 1000, 200 * 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    TCdm cdm;
    if (!cdm.BuildShareCopy(p))
        return 2;
    const PipelineEnd end = runToEnd(cdm);
    if (end.ok())
        return 3;
    if (end.error().code != RunErrorCode::DiskFull)
        return 4;
    return 0;
}

TEST_F(ShareCopyTest, AFullDiskFailsTheCopyAndLeavesTheOldFileAlone)
{
    const fs::path dest = out("full.mp4");
    const std::vector<std::uint8_t> old(1000, 0x55);
    test::writeBytes(dest, old);
    const ShareCopyPlan p = plan("tape_three-type1.avi", dest);
    EXPECT_EXIT(std::_Exit(copyUntilTheDiskIsFull(p)), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::readBytes(dest), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dest.parent_path()), fs::directory_iterator{}), 1);
}

} // namespace
} // namespace camlog::media
