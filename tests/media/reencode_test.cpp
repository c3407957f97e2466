// The re-encoding into DV: the frame rate conversion, the picture's placement, and whole
// recompressions of non-DV AVI files read back by ffprobe and by our DV frame reader.
#include "media/pipeline/processing_module.h"

#include "core/dv_frame.h"
#include "media/reencoding/dv_picture_stage.h"
#include "media/reencoding/frame_rate_conversion.h"
#include "media_test_support.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <future>
#include <sstream>
#include <thread>

namespace camlog::media {
namespace {

namespace fs = std::filesystem;

std::string lastLine(const std::string &text)
{
    std::istringstream lines(text);
    std::string line, last;
    while (std::getline(lines, line))
        if (!line.empty())
            last = line;
    return last;
}

double ffprobeNumber(const fs::path &path, const std::string &what)
{
    return std::stod(test::ffprobeCsv(path, what));
}

PipelineEnd runToEnd(TCdm &cdm)
{
    return test::runGraphToEnd(cdm);
}

TEST(FrameRateConversionTest, PicturesAreRepeatedOrDroppedSoThatTheDurationStays)
{
    struct Case {
        double sourceRate;
        double targetRate;
        double seconds;
    };
    for (const Case c : {Case{25, 25, 2}, Case{30000.0 / 1001, 25, 2}, Case{15, 25, 2}, Case{25, 30000.0 / 1001, 10},
                         Case{50, 25, 1}, Case{24, 30000.0 / 1001, 3}}) {
        SCOPED_TRACE(std::to_string(c.sourceRate) + " to " + std::to_string(c.targetRate));
        const double out = 1.0 / c.targetRate;
        const auto sourceFrames = static_cast<int>(std::lround(c.seconds * c.sourceRate));
        std::int64_t previous = 0;
        std::int64_t most = 0;
        for (int i = 1; i <= sourceFrames; ++i) {
            const std::int64_t filled = OutputFramesBefore(i / c.sourceRate, out);
            EXPECT_GE(filled, previous);
            most = std::max(most, filled - previous);
            previous = filled;
        }
        // The output lasts the source's duration to the nearest frame...
        EXPECT_EQ(previous, std::lround(c.seconds * c.targetRate));
        // ...and no picture is held longer than the rates require.
        EXPECT_LE(most, static_cast<std::int64_t>(std::ceil(c.sourceRate > 0 ? c.targetRate / c.sourceRate : 1)));
    }
    EXPECT_EQ(OutputFramesBefore(0.0, 0.04), 0);
    EXPECT_EQ(OutputFramesBefore(-1.0, 0.04), 0);
}

TEST(DvPictureFormatTest, ThePictureKeepsItsShapeInsideTheDvFrame)
{
    struct Case {
        DvSystem system;
        bool wide;
        int width, height;
        AVRational aspect;
        PictureBox box;
    };
    const AVRational square{1, 1};
    for (const Case &c : {
             Case{DvSystem::Pal, false, 320, 240, square, {0, 0, 720, 576}},
             Case{DvSystem::Pal, false, 640, 360, square, {0, 72, 720, 432}}, // 16:9 into 4:3: bands above and below
             Case{DvSystem::Pal, true, 640, 360, square, {0, 0, 720, 576}},
             Case{DvSystem::Pal, true, 320, 240, square, {88, 0, 540, 576}}, // 4:3 into 16:9: bands at the sides
             Case{DvSystem::Ntsc, false, 1920, 1080, square, {0, 60, 720, 360}},
             Case{DvSystem::Ntsc, false, 720, 480, AVRational{8, 9}, {0, 0, 720, 480}}, // DV NTSC 4:3 itself
             Case{DvSystem::Pal, false, 720, 576, AVRational{0, 1}, {20, 0, 676, 576}}, // unknown aspect: square
         }) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + (c.wide ? " wide" : ""));
        const PictureBox box = DvPictureFormat{c.system, c.wide}.fit(c.width, c.height, c.aspect);
        EXPECT_EQ(box.x, c.box.x);
        EXPECT_EQ(box.y, c.box.y);
        EXPECT_EQ(box.width, c.box.width);
        EXPECT_EQ(box.height, c.box.height);
    }
}

class RecompressTest : public ::testing::Test {
protected:
    fs::path out(const std::string &name)
    {
        if (m_dir.empty())
            m_dir = test::scratchDir(std::string("reencode_")
                                     + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        return m_dir / name;
    }
    TCdm cdm;

private:
    fs::path m_dir;
};

struct RecompressCase {
    const char *name;
    const char *fixture;
    DvSystem system;
    bool wide;
    int rate;
};

class RecompressFixtureTest : public RecompressTest, public ::testing::WithParamInterface<RecompressCase> {};

TEST_P(RecompressFixtureTest, TheOutputIsDvType2OfTheSettingsWithTheSourcesDuration)
{
    const RecompressCase c = GetParam();
    const fs::path source = test::fixturePath(c.fixture);
    const fs::path dest = out("out.avi");
    ASSERT_TRUE(test::succeeded(cdm.BuildRecompresserDV2(source.string(), dest.string(), c.system, c.wide, c.rate)));
    const PipelineEnd end = runToEnd(cdm);
    ASSERT_TRUE(end.ok()) << messageOf(end);

    const bool pal = c.system == DvSystem::Pal;
    EXPECT_EQ(test::ffprobeCsv(dest, "-select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate"),
              pal ? "dvvideo,720,576,25/1\n" : "dvvideo,720,480,30000/1001\n");
    EXPECT_EQ(test::ffprobeCsv(dest, "-select_streams v:0 -show_entries stream=display_aspect_ratio"),
              c.wide ? "16:9\n" : "4:3\n");
    EXPECT_EQ(test::ffprobeCsv(dest, "-select_streams a:0 -show_entries stream=codec_name,sample_rate,channels"),
              "pcm_s16le," + std::to_string(c.rate) + ",2\n");

    // The source's pictures last until the end of the last one, as ffprobe times them.
    std::istringstream rate(test::ffprobeCsv(source, "-select_streams v:0 -show_entries stream=r_frame_rate"));
    double num = 0, den = 1;
    char slash = 0;
    rate >> num >> slash >> den;
    const double seconds =
        std::stod(
            lastLine(test::ffprobeCsv(source, "-select_streams v:0 -show_entries frame=best_effort_timestamp_time")))
        + den / num;
    const double frameSeconds = pal ? 0.04 : 1001.0 / 30000;
    const double frames =
        ffprobeNumber(dest, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets");
    EXPECT_EQ(frames, static_cast<double>(OutputFramesBefore(seconds, frameSeconds)));
    // The sound lasts as long as the pictures.
    EXPECT_NEAR(test::ffprobeAudioEnd(dest), frames * frameSeconds, 0.002);

    // Every frame is a whole DV frame of the system, marked with its shape, with its sound inside.
    const test::DvFrames dv = test::readDvFrames(dest);
    ASSERT_EQ(static_cast<double>(dv.size()), frames);
    for (const auto &frame : {dv.front(), dv.back()}) {
        ASSERT_EQ(frame.size(), pal ? core::kPalFrameSize : core::kNtscFrameSize);
        const auto format = DvAviFormat::fromFrame(frame, DvAviType::Type2);
        ASSERT_TRUE(format.has_value());
        EXPECT_EQ(format->wide, c.wide);
        ASSERT_EQ(format->audio.size(), 1u);
        EXPECT_EQ(format->audio[0].sampleRate, static_cast<std::uint32_t>(c.rate));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RecompressFixtureTest,
    ::testing::Values(RecompressCase{"mpeg4_pal", "nondv_mpeg4.avi", DvSystem::Pal, false, 48000},
                      RecompressCase{"mpeg4_ntsc_wide_32k", "nondv_mpeg4.avi", DvSystem::Ntsc, true, 32000},
                      RecompressCase{"mjpeg_pal_wide", "nondv_mjpeg_aac.avi", DvSystem::Pal, true, 48000},
                      RecompressCase{"mp3_ntsc", "nondv_mpeg4_mp3.avi", DvSystem::Ntsc, false, 48000},
                      RecompressCase{"dv_cdvc_pal_32k", "dv_cdvc.avi", DvSystem::Pal, false, 32000}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecompressTest, ABadSourceFailsWithAReasonAndLeavesNoFileAndTheOldOneUntouched)
{
    const auto garbage = out("garbage.avi");
    test::writeBytes(garbage, std::vector<std::uint8_t>(5000, 0x41));
    const auto truncated = out("truncated.avi");
    auto bytes = test::readBytes(test::fixturePath("nondv_mjpeg_aac.avi"));
    bytes.resize(bytes.size() / 2);
    test::writeBytes(truncated, bytes);
    const auto dest = out("dest.avi");
    const std::vector<std::uint8_t> old(1000, 0x55);
    test::writeBytes(dest, old);

    for (const auto &source : {garbage, out("missing.avi")}) {
        EXPECT_TRUE(
            test::failedWith(cdm.BuildRecompresserDV2(source.string(), dest.string(), DvSystem::Pal, false, 48000),
                             RunErrorCode::Unreadable))
            << source;
    }
    // A cut file opens: its run fails when it ends short of the pictures its header announces.
    ASSERT_TRUE(cdm.BuildRecompresserDV2(truncated.string(), dest.string(), DvSystem::Pal, false, 48000));
    const PipelineEnd end = runToEnd(cdm);
    EXPECT_FALSE(end.ok());
    ASSERT_FALSE(end.ok());
    EXPECT_EQ(end.error().code, RunErrorCode::Truncated) << end.error().message;
    EXPECT_EQ(test::readBytes(dest), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dest.parent_path()), fs::directory_iterator{}), 3);
}

TEST_F(RecompressTest, ARateDvCannotCarryIsRefused)
{
    const RunResult built = cdm.BuildRecompresserDV2(test::fixturePath("nondv_mpeg4.avi").string(),
                                                     out("x.avi").string(), DvSystem::Pal, false, 22050);
    ASSERT_TRUE(test::failedWith(built, RunErrorCode::AudioFailed));
    EXPECT_NE(built.error().message.find("22050"), std::string::npos);
}

struct ExtractCase {
    const char *name;
    const char *fixture;
    int rate;           // forced through SetAcmSampleRate; 0 keeps the source's
    const char *format; // what ffprobe reads of the WAV file
};

class ExtractAudioTest : public RecompressTest, public ::testing::WithParamInterface<ExtractCase> {};

TEST_P(ExtractAudioTest, TheSoundOfAFileThatIsNotDvIsDecodedIntoTheWavFile)
{
    const ExtractCase c = GetParam();
    const fs::path source = test::fixturePath(c.fixture);
    const fs::path wav = out("out.wav");
    ASSERT_TRUE(test::succeeded(cdm.BuildExtraireAudio(source.string(), wav.string())));
    if (c.rate > 0) {
        EXPECT_TRUE(cdm.SetAcmSampleRate(c.rate));
    }
    const PipelineEnd end = runToEnd(cdm);
    ASSERT_TRUE(end.ok()) << messageOf(end);
    EXPECT_EQ(test::ffprobeCsv(wav, "-show_entries stream=codec_name,sample_rate,channels"), c.format);
    // As long as ffmpeg decodes the source's sound.
    const fs::path reference = out("reference.wav");
    const std::string rate = c.rate > 0 ? " -ar " + std::to_string(c.rate) : "";
    test::runCommand("ffmpeg -v error -i '" + source.string() + "' -map 0:a:0 -c:a pcm_s16le" + rate + " '"
                     + reference.string() + "'");
    const double expected = std::stod(test::ffprobeCsv(reference, "-show_entries format=duration"));
    EXPECT_NEAR(std::stod(test::ffprobeCsv(wav, "-show_entries format=duration")), expected, 0.002);
    if (c.rate == 0) {
        // Without a conversion the samples are ffmpeg's own.
        const auto ours = test::readBytes(wav);
        const auto theirs = test::readBytes(reference);
        ASSERT_GE(theirs.size(), 44u);
        EXPECT_TRUE(ours.size() >= 44 && std::equal(ours.begin() + 44, ours.end(), theirs.end() - (ours.size() - 44)));
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ExtractAudioTest,
                         ::testing::Values(ExtractCase{"pcm", "nondv_mpeg4.avi", 0, "pcm_s16le,44100,1\n"},
                                           ExtractCase{"pcm_48k", "nondv_mpeg4.avi", 48000, "pcm_s16le,48000,1\n"},
                                           ExtractCase{"aac", "nondv_mjpeg_aac.avi", 0, "pcm_s16le,44100,2\n"},
                                           ExtractCase{"mp3", "nondv_mpeg4_mp3.avi", 0, "pcm_s16le,48000,2\n"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecompressTest, ExtractAudioOfAFileThatIsNotDvWithoutSoundHasNothingToDo)
{
    const fs::path silent = out("silent.avi");
    test::runCommand("ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25:duration=1 -c:v mpeg4 '"
                     + silent.string() + "'");
    ASSERT_TRUE(fs::exists(silent));
    EXPECT_TRUE(
        test::failedWith(cdm.BuildExtraireAudio(silent.string(), out("x.wav").string()), RunErrorCode::NothingToDo));
    EXPECT_FALSE(fs::exists(out("x.wav")));

    const fs::path garbage = out("garbage.avi");
    test::writeBytes(garbage, std::vector<std::uint8_t>(5000, 0x41));
    EXPECT_TRUE(
        test::failedWith(cdm.BuildExtraireAudio(garbage.string(), out("y.wav").string()), RunErrorCode::Unreadable));
}

// A DV tape converted into the other system while the pipeline's threads run: a stop comes
// back quickly and leaves a file that plays to its last frame.
TEST_F(RecompressTest, AStopDuringAConversionIsQuickAndLeavesAPlayableFile)
{
    const auto dest = out("stopped.avi");
    ASSERT_TRUE(test::succeeded(
        cdm.BuildNtscPal2(test::fixturePath("tape_three-type2.avi").string(), dest.string(), DvSystem::Ntsc)));
    cdm.fg().Run();
    // Stop once a second of the tape has been decoded (the threads are then all at work).
    for (int i = 0; i < 1000 && cdm.fg().IsRunning() && cdm.fg().CurrentPosition() < 10'000'000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(cdm.fg().IsRunning()) << "the conversion ended before it could be stopped";
    const auto asked = std::chrono::steady_clock::now();
    cdm.fg().Stop();
    const auto took = std::chrono::steady_clock::now() - asked;
#if !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
    // Timed only at full speed: the sanitizers slow every frame tenfold or more.
    EXPECT_LT(took, std::chrono::milliseconds(200));
#else
    (void)took;
#endif
    ASSERT_TRUE(fs::exists(dest));
    const test::DvFrames frames = test::readDvFrames(dest);
    EXPECT_GT(frames.size(), 0u);
    EXPECT_EQ(ffprobeNumber(dest, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"),
              static_cast<double>(frames.size()));
}

// A stop while the re-encoding is to replace a complete file: that file stays as it was and
// nothing of the stopped run is left beside it.
TEST_F(RecompressTest, AStopOverAnExistingFileLeavesThatFileAndNoTemporary)
{
    const auto dest = out("replaced.avi");
    const std::vector<std::uint8_t> old(1000, 0x55);
    test::writeBytes(dest, old);
    ASSERT_TRUE(test::succeeded(
        cdm.BuildNtscPal2(test::fixturePath("tape_three-type2.avi").string(), dest.string(), DvSystem::Ntsc)));
    cdm.fg().Run();
    for (int i = 0; i < 1000 && cdm.fg().IsRunning() && cdm.fg().CurrentPosition() < 10'000'000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(cdm.fg().IsRunning()) << "the conversion ended before it could be stopped";
    cdm.fg().Stop();
    EXPECT_EQ(test::readBytes(dest), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dest.parent_path()), fs::directory_iterator{}), 1);
}

// Runs in a child process whose file size limit plays a full disk; the exit status says
// which expectation failed (0: all held).
int convertUntilTheDiskIsFull(const fs::path &source, const fs::path &dest)
{
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{3 * 1000 * 1000, 3 * 1000 * 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    TCdm cdm;
    if (!cdm.BuildNtscPal1(source.string(), dest.string(), DvSystem::Ntsc))
        return 2;
    const PipelineEnd end = runToEnd(cdm);
    if (end.ok())
        return 3;
    if (end.error().code != RunErrorCode::DiskFull)
        return 4;
    return 0;
}

TEST_F(RecompressTest, AFullDiskFailsTheConversionAndLeavesTheOldFileAlone)
{
    const auto dest = out("full.avi");
    const std::vector<std::uint8_t> old(1000, 0x55);
    test::writeBytes(dest, old);
    const auto source = test::fixturePath("tape_three-type1.avi");
    EXPECT_EXIT(std::_Exit(convertUntilTheDiskIsFull(source, dest)), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::readBytes(dest), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dest.parent_path()), fs::directory_iterator{}), 1);
}

// Without deinterlacing the pictures are scaled field by field; the datecodes still follow.
TEST_F(RecompressTest, AConversionWithoutDeinterlacingKeepsTheFramesAndTheirDates)
{
    const auto dest = out("fields.avi");
    ASSERT_TRUE(test::succeeded(
        cdm.BuildNtscPal2(test::fixturePath("tape_three-type2.avi").string(), dest.string(), DvSystem::Ntsc, false)));
    const PipelineEnd end = runToEnd(cdm);
    ASSERT_TRUE(end.ok()) << messageOf(end);
    const test::DvFrames frames = test::readDvFrames(dest);
    ASSERT_EQ(frames.size(), 150u);
    core::TDatecode last;
    ASSERT_TRUE(core::ReadDatecode(frames.back(), 10, last));
    EXPECT_EQ(last, (core::TDatecode{2024, 5, 1, 9, 0, 0}));
}

} // namespace
} // namespace camlog::media
