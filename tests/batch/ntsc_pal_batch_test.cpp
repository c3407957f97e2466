// End-to-end runs of "Convert in NTSC" and "Convert in Pal" through `camlog --batch` on
// generated tapes; the outputs are read back by ffprobe, ffmpeg, exiftool and our own reader.
#include "batch/batch_folder_test.h"
#include "batch/batch_runner.h"

#include "core/dv_frame.h"
#include "media/media_test_support.h"
#include "media/reading/dv_frame_reader.h"
#include "scenes/dv_scene_detect.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            out.push_back(line);
    return out;
}

// The recording date and time of a frame as exiftool prints it ("2024:05:01 10:00:00"), "" without.
std::string datecodeText(const std::vector<std::uint8_t> &frame)
{
    core::TDatecode d;
    if (!core::ReadDatecode(frame, core::SequencesForFrameSize(frame.size()), d))
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute,
                  d.second);
    return text;
}

// Where the scenes by datecode start, in seconds.
std::vector<double> sceneStarts(const DvFrames &frames, double frameSeconds)
{
    scenes::Tdv_sceneDetect detector;
    std::vector<double> starts{0.0};
    detector.OnScene = [&](const scenes::FrameRecord &, const scenes::FrameRecord &current) {
        starts.push_back(current.frameNumber * frameSeconds);
    };
    detector.StartStreaming();
    for (const auto &frame : frames)
        detector.Receive(frame);
    detector.OnScene = nullptr;
    detector.Stop();
    return starts;
}

class NtscPalBatchTest : public BatchFolderTest {
protected:
    NtscPalBatchTest() : BatchFolderTest("ntsc_pal_batch") {}

    BatchResult Convert(const fs::path &file, const std::string &command, const std::string &answer = "--yes")
    {
        return runner.batch({answer, "/o=" + file.string(), command});
    }
};

struct ConversionCase {
    const char *name;
    const char *fixture;
    const char *command; // "/n" or "/p"
    const char *suffix;
    const char *videoFormat; // what ffprobe reads of the picture stream
    const char *codecTag;    // the stream's handler: dvsd for type 2, nothing for type 1
    int frames;              // the source's duration in frames of the target system
};

class ConversionTest : public NtscPalBatchTest, public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(ConversionTest, TheOutputIsTheOtherSystemWithTheSourcesDurationDatesAndScenes)
{
    const ConversionCase &c = GetParam();
    const fs::path source = Copy(c.fixture, "tape.avi");
    const BatchResult result = Convert(source, c.command);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path out = videos / (std::string("tape") + c.suffix);
    ASSERT_TRUE(fs::exists(out)) << result.err;

    const bool toNtsc = std::string(c.command) == "/n";
    const double sourceFrame = toNtsc ? 0.04 : 1001.0 / 30000;
    const double targetFrame = toNtsc ? 1001.0 / 30000 : 0.04;
    EXPECT_EQ(probe(out, "-select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate"),
              c.videoFormat);
    EXPECT_EQ(probe(out, "-select_streams v:0 -show_entries stream=codec_tag_string"), c.codecTag);
    EXPECT_EQ(probe(out, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"),
              std::to_string(c.frames) + "\n");
    // The sound keeps its rate, and lasts as long as the pictures.
    EXPECT_EQ(probe(out, "-select_streams a:0 -show_entries stream=sample_rate"),
              probe(source, "-select_streams a:0 -show_entries stream=sample_rate"));

    const DvFrames in = readDvFrames(source);
    const DvFrames frames = readDvFrames(out);
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(c.frames));
    EXPECT_NEAR(frames.size() * targetFrame, in.size() * sourceFrame, targetFrame);
    // Every output frame carries the datecode of the source frame shown at its middle, a
    // timecode of the target's rate, and the marks of the target system.
    for (std::size_t n = 0; n < frames.size(); ++n) {
        const auto k = std::min(in.size() - 1, static_cast<std::size_t>((n + 0.5) * targetFrame / sourceFrame));
        ASSERT_EQ(datecodeText(frames[n]), datecodeText(in[k])) << "frame " << n;
        const int nseq = core::SequencesForFrameSize(frames[n].size());
        ASSERT_EQ(nseq, toNtsc ? 10 : 12);
        bool ntsc = !toNtsc;
        ASSERT_TRUE(core::ReadIsNtsc(frames[n], ntsc));
        ASSERT_EQ(ntsc, toNtsc) << "frame " << n;
        core::TTimecode timecode;
        ASSERT_TRUE(core::ReadTimecode(frames[n], nseq, timecode)) << "frame " << n;
        ASSERT_LT(timecode.frames, toNtsc ? 30 : 25) << "frame " << n;
    }
    // Scenes by datecode fall where they fell on the source.
    const auto sourceScenes = sceneStarts(in, sourceFrame);
    const auto outputScenes = sceneStarts(frames, targetFrame);
    ASSERT_EQ(outputScenes.size(), sourceScenes.size());
    for (std::size_t i = 0; i < sourceScenes.size(); ++i)
        EXPECT_NEAR(outputScenes[i], sourceScenes[i], targetFrame) << "scene " << i;

    // exiftool reads the recording date of raw DV cut out of the output: the first frame, one
    // in the middle, the last one.
    auto reader = media::DvFrameReader::open(out);
    ASSERT_TRUE(reader.ok());
    std::string files;
    std::vector<std::string> expected;
    for (const std::size_t n : {std::size_t{0}, frames.size() / 2, frames.size() - 1}) {
        const media::SampleEntry entry = reader.value()->frame(n);
        const fs::path cut = root / ("frame" + std::to_string(n) + ".dv");
        runCommand("dd if='" + out.string() + "' of='" + cut.string() + "' bs=1 skip=" + std::to_string(entry.offset)
                   + " count=" + std::to_string(entry.size) + " status=none");
        files += " '" + cut.string() + "'";
        expected.push_back(datecodeText(frames[n]));
    }
    const auto read = lines(runCommand("exiftool -q -p '$DateTimeOriginal'" + files).output);
    ASSERT_EQ(read.size(), expected.size());
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(read[i], expected[i]);
}

INSTANTIATE_TEST_SUITE_P(Tapes, ConversionTest,
                         ::testing::Values(
                             // Three recordings of 2, 2 and 1 s at 25 fps: 125 frames, 5 s, so 150 NTSC frames.
                             ConversionCase{"pal_type1_to_ntsc", "tape_three-type1.avi", "/n", "_ntsc.avi",
                                            "dvvideo,720,480,30000/1001\n", "[0][0][0][0]\n", 150},
                             ConversionCase{"pal_type2_to_ntsc", "tape_three-type2.avi", "/n", "_ntsc.avi",
                                            "dvvideo,720,480,30000/1001\n", "dvsd\n", 150},
                             // 29 NTSC frames (0.968 s) make 24 Pal frames.
                             ConversionCase{"ntsc_type2_to_pal", "ntsc_4x3_48k-type2.avi", "/p", "_pal.avi",
                                            "dvvideo,720,576,25/1\n", "dvsd\n", 24},
                             ConversionCase{"ntsc_type1_to_pal", "ntsc_4x3_48k-type1.avi", "/p", "_pal.avi",
                                            "dvvideo,720,576,25/1\n", "[0][0][0][0]\n", 24}),
                         [](const auto &info) { return std::string(info.param.name); });

// The time of the first picture brighter than mid-grey and of the first loud sound, in seconds.
double flashTime(const fs::path &file)
{
    const auto rows =
        lines(runCommand("ffprobe -v error -f lavfi -i \"movie='" + file.string()
                         + "',signalstats\" -show_entries frame=pts_time:frame_tags=lavfi.signalstats.YAVG"
                           " -of csv=p=0")
                  .output);
    for (const std::string &row : rows) {
        const auto comma = row.find(',');
        if (comma != std::string::npos && std::stod(row.substr(comma + 1)) > 128)
            return std::stod(row.substr(0, comma));
    }
    return -1;
}

double beepTime(const fs::path &file)
{
    const std::string log =
        runCommand("ffmpeg -nostdin -v info -i '" + file.string() + "' -af silencedetect=n=-30dB:d=0.01 -f null - 2>&1")
            .output;
    const auto at = log.find("silence_end: ");
    return at == std::string::npos ? -1 : std::stod(log.substr(at + 13));
}

// A tape whose one white frame and short tone start at the same instant, mid-tape.
TEST_F(NtscPalBatchTest, AFlashAndABeepThatCoincideInTheSourceCoincideInTheOutput)
{
    const fs::path raw = root / "flash.dv";
    const fs::path source = videos / "flash.avi";
    ASSERT_TRUE(runCommand("TZ=UTC ffmpeg -nostdin -v error -y -f lavfi -i \"color=c=black:s=720x576:r=25:d=4,"
                           "drawbox=x=0:y=0:w=iw:h=ih:color=white:t=fill:enable='eq(n,63)'\" -f lavfi -i "
                           "\"aevalsrc='if(between(t,2.52,2.60),0.8*sin(2*PI*1000*t),0)':s=48000:d=4\" -ac 2 "
                           "-target pal-dv -f dv -metadata creation_time=2024-05-01T10:00:00Z '"
                           + raw.string() + "' && ffmpeg -nostdin -v error -y -f dv -i '" + raw.string()
                           + "' -c copy -f avi '" + source.string() + "'")
                    .ok);
    const double sourceOffset = beepTime(source) - flashTime(source);
    ASSERT_NEAR(sourceOffset, 0.0, 0.04) << "the generated tape is not what the test needs";

    const BatchResult result = Convert(source, "/n");
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path out = videos / "flash_ntsc.avi";
    const double flash = flashTime(out);
    const double beep = beepTime(out);
    EXPECT_NEAR(flash, 2.52, 1001.0 / 30000);
    EXPECT_NEAR(beep - flash, 0.0, 1001.0 / 30000);
}

TEST_F(NtscPalBatchTest, AnExistingDestinationIsReplacedOnlyWithConsent)
{
    const fs::path source = Copy("ntsc_4x3_48k-type2.avi", "clip.avi");
    const fs::path out = videos / "clip_pal.avi";
    writeBytes(out, std::vector<std::uint8_t>(1000, 0x55));
    Convert(source, "/p", "--no");
    EXPECT_EQ(fs::file_size(out), 1000u);
    const BatchResult yes = Convert(source, "/p", "--yes");
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_EQ(probe(out, "-select_streams v:0 -show_entries stream=height"), "576\n");
}

TEST_F(NtscPalBatchTest, ATruncatedOrFalseSourceFailsAndLeavesNothingBehind)
{
    struct Damage {
        const char *name;
        double keep; // the part of the tape kept
        bool noise;  // the file is noise under an AVI name
    };
    for (const Damage &damage : {Damage{"truncated", 0.6, false}, Damage{"noise", 1.0, true}}) {
        SCOPED_TRACE(damage.name);
        const fs::path source = videos / "bad.avi";
        auto bytes = readBytes(fixturePath("tape_three-type2.avi"));
        bytes.resize(static_cast<std::size_t>(bytes.size() * damage.keep));
        if (damage.noise)
            for (std::size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
        writeBytes(source, bytes);
        const BatchResult result = Convert(source, "/n");
        EXPECT_NE(result.err, "");
        EXPECT_FALSE(fs::exists(videos / "bad_ntsc.avi"));
        EXPECT_EQ(FilesIn(videos), 1u) << "a temporary file was left behind";
        fs::remove(source);
    }
}

} // namespace
} // namespace camlog::test
