// The recipes of the processing module on the fixtures, checked with our reader and with ffprobe.
#include "media/pipeline/processing_module.h"

#include "core/dv_frame.h"
#include "core/riff_chunks.h"
#include "media/pipeline/audio_extract_source.h"
#include "media/pipeline/datecode_scan_source.h"
#include "media/pipeline/dv_copy_source.h"
#include "media/pipeline/dv_source_file.h"
#include "media/reading/dv_frame_reader.h"
#include "media_test_support.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace camlog::media {
namespace {

using camlog::test::DvFrames;
using camlog::test::firstAudioStreamBytes;
using camlog::test::readDvFrames;
using Frames = DvFrames;

std::string ffprobe(const std::filesystem::path &path, const std::string &what)
{
    const auto r = test::runCommand("ffprobe -v error " + what + " -of csv=p=0 '" + path.string() + "' 2>&1");
    return r.output;
}

// Runs what the module built to its end; false when the run failed.
bool runToEnd(TCdm &cdm)
{
    const PipelineEnd end = test::runGraphToEnd(cdm);
    EXPECT_TRUE(end.ok()) << messageOf(end);
    return end.ok();
}

class RecipesTest : public ::testing::Test {
protected:
    std::filesystem::path out(const std::string &name)
    {
        if (m_dir.empty()) {
            const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
            m_dir = test::scratchDir(std::string("recipes_") + info->name());
        }
        return m_dir / name;
    }
    TCdm cdm;

private:
    std::filesystem::path m_dir;
};

struct RoundTripCase {
    const char *fixture;
    std::size_t frames;
};

class RoundTripTest : public RecipesTest, public ::testing::WithParamInterface<RoundTripCase> {};

// Type 1 to type 2 and back gives the very frames of the source, audio included.
TEST_P(RoundTripTest, Type1ToType2AndBackGivesIdenticalFrames)
{
    const auto source = test::fixturePath(GetParam().fixture);
    const auto type2 = out("t2.avi");
    const auto type1 = out("t1.avi");
    ASSERT_TRUE(test::succeeded(cdm.BuildConvertirDV2(source.string(), type2.string())));
    ASSERT_TRUE(runToEnd(cdm));
    ASSERT_TRUE(test::succeeded(cdm.BuildConvertirDV1(type2.string(), type1.string())));
    ASSERT_TRUE(runToEnd(cdm));

    const Frames original = readDvFrames(source);
    ASSERT_EQ(original.size(), GetParam().frames);
    EXPECT_EQ(readDvFrames(type2), original);
    const Frames back = readDvFrames(type1);
    ASSERT_EQ(back.size(), original.size());
    for (std::size_t i = 0; i < back.size(); ++i)
        ASSERT_EQ(back[i], original[i]) << "frame " << i;

    // The type 2 file holds DV video and 16-bit PCM; the type 1 file one DV stream.
    EXPECT_EQ(ffprobe(type2, "-show_entries stream=codec_name"), "dvvideo\npcm_s16le\n");
    EXPECT_EQ(ffprobe(type1, "-show_entries stream=codec_name"), "dvvideo\npcm_s16le\n");
    EXPECT_EQ(ffprobe(type1, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"),
              std::to_string(original.size()) + "\n");
    // Our audio matches what ffmpeg decodes from the source frames.
    const auto decoded = test::runCommand("ffmpeg -v error -i '" + source.string() + "' -map 0:a:0 -f s16le -");
    ASSERT_TRUE(decoded.ok);
    const auto pcm = firstAudioStreamBytes(type2);
    EXPECT_EQ(pcm.size(), decoded.output.size());
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), decoded.output.begin(),
                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RoundTripTest,
                         ::testing::Values(RoundTripCase{"tape_three-type1.avi", 125},
                                           RoundTripCase{"ntsc_4x3_48k-type1.avi", 29},
                                           RoundTripCase{"pal_16x9_32k-opendml.avi", 25}));

// A recording whose sound changes from 48 to 32 kHz keeps one stream at the first rate: the
// later audio is converted, not played at the wrong speed.
TEST_F(RecipesTest, AnAudioRateChangeInsideTheTapeIsConverted)
{
    const auto source = test::fixturePath("tape_audio.dv"); // 50 frames at 48 kHz, then 25 at 32 kHz
    const auto type2 = out("t2.avi");
    ASSERT_TRUE(cdm.BuildConvertirDV2(source.string(), type2.string()));
    ASSERT_TRUE(runToEnd(cdm));
    EXPECT_EQ(readDvFrames(type2), readDvFrames(source));
    const double samples = static_cast<double>(firstAudioStreamBytes(type2).size()) / 4;
    EXPECT_NEAR(samples, 75 * 1920, 200);
    EXPECT_EQ(ffprobe(type2, "-select_streams a:0 -show_entries stream=sample_rate"), "48000\n");
}

TEST_F(RecipesTest, Type2ToType1FromDvgrabsType2)
{
    const auto source = test::fixturePath("tape_three-type2.avi");
    const auto type1 = out("t1.avi");
    ASSERT_TRUE(cdm.BuildConvertirDV1(source.string(), type1.string()));
    ASSERT_TRUE(runToEnd(cdm));
    EXPECT_EQ(readDvFrames(type1), readDvFrames(test::fixturePath("tape_three-type1.avi")));
}

TEST_F(RecipesTest, AspectRewriteKeepsTypeAudioAndEverythingButTheFlag)
{
    const auto source = test::fixturePath("tape_three-type2.avi");
    const auto wide = out("wide.avi");
    ASSERT_TRUE(cdm.BuildDVheaderGraph(source.string(), wide.string()));
    cdm.DVheader().CopyHeaders = false;
    cdm.DVheader().AspectRewrite = true;
    cdm.DVheader().Wide = true;
    ASSERT_TRUE(runToEnd(cdm));

    const Frames before = readDvFrames(source);
    const Frames after = readDvFrames(wide);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        auto expected = before[i];
        core::SetAspect16x9(expected, 12, true);
        ASSERT_EQ(after[i], expected) << i;
    }
    EXPECT_EQ(firstAudioStreamBytes(wide), firstAudioStreamBytes(source));
    EXPECT_EQ(ffprobe(wide, "-select_streams v:0 -show_entries stream=display_aspect_ratio"), "16:9\n");
}

TEST_F(RecipesTest, TimeShiftRewritesEveryDatecodeOfAType1File)
{
    const auto source = test::fixturePath("ntsc_4x3_48k-type1.avi"); // 2000-12-31 23:59:58
    const auto shifted = out("shifted.avi");
    ASSERT_TRUE(cdm.BuildDVheaderGraph(source.string(), shifted.string()));
    cdm.DVheader().CopyHeaders = false;
    cdm.DVheader().SetTimeShift(0.5);
    ASSERT_TRUE(runToEnd(cdm));
    const Frames before = readDvFrames(source);
    const Frames after = readDvFrames(shifted);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        core::TDatecode d0, d1;
        ASSERT_TRUE(core::ReadDatecode(before[i], 10, d0));
        ASSERT_TRUE(core::ReadDatecode(after[i], 10, d1));
        const auto expected = core::DateTimeToDatecode(*core::DatecodeToDateTime(d0) + core::DateTime::fromDays(0.5));
        EXPECT_EQ(d1, expected) << i;
        core::TTimecode t0, t1;
        ASSERT_TRUE(core::ReadTimecode(before[i], 10, t0));
        ASSERT_TRUE(core::ReadTimecode(after[i], 10, t1));
        EXPECT_EQ(t0, t1);
    }
    core::TDatecode first;
    ASSERT_TRUE(core::ReadDatecode(after.front(), 10, first));
    EXPECT_EQ(first, (core::TDatecode{2001, 1, 1, 11, 59, 58}));
    EXPECT_EQ(ffprobe(shifted, "-show_entries stream=codec_name"), "dvvideo\npcm_s16le\n");
}

struct CutCase {
    const char *fixture;
    std::int64_t first;
    std::int64_t end;
};

class CutScenesTest : public RecipesTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(CutScenesTest, ASceneHoldsExactlyItsFramesAndTheirAudio)
{
    const CutCase c = GetParam();
    const auto source = test::fixturePath(c.fixture);
    const auto scene = out("scene.avi");
    const bool type2 = std::string(c.fixture).find("type2") != std::string::npos;
    ASSERT_TRUE(type2 ? cdm.BuildCutScenes2(source.string(), scene.string())
                      : cdm.BuildCutScenes1(source.string(), scene.string()));
    cdm.fg().SetPositions(c.first * 400000, c.end * 400000);
    ASSERT_TRUE(runToEnd(cdm));
    EXPECT_EQ(cdm.fg().CurrentPosition(), c.end * 400000);

    const Frames all = readDvFrames(source);
    const Frames cut = readDvFrames(scene);
    ASSERT_EQ(cut.size(), static_cast<std::size_t>(c.end - c.first));
    for (std::size_t i = 0; i < cut.size(); ++i)
        ASSERT_EQ(cut[i], all[static_cast<std::size_t>(c.first) + i]) << i;
    if (type2) {
        const auto audio = firstAudioStreamBytes(source);
        const std::size_t perFrame = 1920 * 4;
        const std::vector<std::uint8_t> expected(audio.begin() + c.first * perFrame, audio.begin() + c.end * perFrame);
        EXPECT_EQ(firstAudioStreamBytes(scene), expected);
    }
    EXPECT_EQ(ffprobe(scene, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets"),
              std::to_string(c.end - c.first) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CutScenesTest,
                         ::testing::Values(CutCase{"tape_three-type1.avi", 50, 100},
                                           CutCase{"tape_three-type2.avi", 50, 100},
                                           CutCase{"tape_three-opendml.avi", 100, 125},
                                           CutCase{"tape_three-type2.avi", 0, 50}));

TEST_F(RecipesTest, ExtractAudioWritesTheWavHeaderWithTheRightSizes)
{
    for (const char *fixture : {"tape_three-type1.avi", "tape_three-type2.avi", "tape_three.dv"}) {
        const auto wav = out(std::string(fixture) + ".wav");
        ASSERT_TRUE(cdm.BuildExtraireAudio(test::fixturePath(fixture).string(), wav.string())) << fixture;
        EXPECT_TRUE(cdm.SetAcmSampleRate(48000));
        ASSERT_TRUE(runToEnd(cdm));
        const auto bytes = test::readBytes(wav);
        const std::uint32_t data = 125 * 1920 * 4; // 5 s of 48 kHz 16-bit stereo
        ASSERT_EQ(bytes.size(), 44 + data) << fixture;
        const auto le32 = [&](std::size_t at) {
            return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16
                   | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
        };
        EXPECT_EQ(le32(4), data + 36);
        EXPECT_EQ(le32(40), data);
        EXPECT_EQ(ffprobe(wav, "-show_entries stream=codec_name,sample_rate,channels"), "pcm_s16le,48000,2\n");
    }
}

TEST_F(RecipesTest, ExtractAudioAtAnotherRateConverts)
{
    const auto wav = out("44k.wav");
    ASSERT_TRUE(cdm.BuildExtraireAudio(test::fixturePath("tape_three-type2.avi").string(), wav.string()));
    ASSERT_TRUE(cdm.SetAcmSampleRate(44100));
    ASSERT_TRUE(runToEnd(cdm));
    EXPECT_EQ(ffprobe(wav, "-show_entries stream=sample_rate"), "44100\n");
    const auto size = std::filesystem::file_size(wav) - 44;
    EXPECT_NEAR(static_cast<double>(size), 5.0 * 44100 * 4, 4 * 100.0);
}

TEST_F(RecipesTest, ExtractAudioOfAFileWithoutAudioHasNothingToDo)
{
    EXPECT_TRUE(test::failedWith(
        cdm.BuildExtraireAudio(test::fixturePath("ntsc_nodate-ffmpeg.avi").string(), out("x.wav").string()),
        RunErrorCode::NothingToDo));
    EXPECT_FALSE(std::filesystem::exists(out("x.wav")));
}

TEST_F(RecipesTest, ScnByDateReportsTheThreeRecordings)
{
    ASSERT_TRUE(cdm.BuildScnByDate(test::fixturePath("tape_three-type2.avi").string()));
    std::vector<std::pair<int, int>> scenesFound;
    int finished = 0;
    cdm.SceneDetect().OnScene = [&](const scenes::FrameRecord &a, const scenes::FrameRecord &b) {
        scenesFound.emplace_back(a.frameNumber, b.frameNumber);
    };
    cdm.SceneDetect().OnFinished = [&](int) {
        ++finished;
    };
    ASSERT_TRUE(runToEnd(cdm));
    EXPECT_EQ(scenesFound, (std::vector<std::pair<int, int>>{{0, 50}, {50, 100}, {100, 125}}));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(cdm.fg().CurrentPosition(), 125 * 400000);
    // The next build starts from clean callbacks.
    ASSERT_TRUE(cdm.BuildScnByDate(test::fixturePath("tape_three-type2.avi").string()));
    EXPECT_FALSE(cdm.SceneDetect().OnScene);
    EXPECT_FALSE(cdm.SceneDetect().OnFinished);
}

TEST_F(RecipesTest, EveryBuildStartsFromTheHeaderFiltersDefaults)
{
    ASSERT_TRUE(cdm.BuildDVheaderGraph(test::fixturePath("tape_three-type1.avi").string(), out("a.avi").string()));
    cdm.DVheader().AspectRewrite = true;
    cdm.DVheader().SetTimeShift(1);
    cdm.DVheader().CopyHeaders = false;
    ASSERT_TRUE(cdm.BuildDVheaderGraph(test::fixturePath("tape_three-type1.avi").string(), out("b.avi").string()));
    EXPECT_FALSE(cdm.DVheader().AspectRewrite);
    EXPECT_EQ(cdm.DVheader().TimeShift(), 0.0);
    EXPECT_TRUE(cdm.DVheader().CopyHeaders);
}

TEST_F(RecipesTest, UnreadableSourcesFailTheBuildWithAReasonAndWriteNothing)
{
    const auto garbage = out("garbage.avi");
    test::writeBytes(garbage, std::vector<std::uint8_t>(5000, 0x41));
    const auto truncated = out("truncated.avi");
    auto bytes = test::readBytes(test::fixturePath("tape_three-type1.avi"));
    bytes.resize(2000);
    test::writeBytes(truncated, bytes);
    for (const auto &source : {garbage, truncated, out("missing.avi"), test::fixturePath("nondv_mpeg4.avi")}) {
        const auto dest = out("dest.avi");
        const RunResult copy = cdm.BuildConvertirDV2(source.string(), dest.string());
        ASSERT_FALSE(copy) << source;
        EXPECT_FALSE(copy.error().message.empty()) << source;
        EXPECT_NE(copy.error().code, RunErrorCode::NothingToDo) << source;
        const RunResult scan = cdm.BuildScnByDate(source.string());
        ASSERT_FALSE(scan) << source;
        EXPECT_FALSE(scan.error().message.empty()) << source;
        EXPECT_NE(scan.error().code, RunErrorCode::NothingToDo) << source;
        EXPECT_FALSE(std::filesystem::exists(dest));
    }
}

// The factories of the recipes' sources say by their error code what is wrong with a file.
TEST_F(RecipesTest, SourceFactoriesNameWhatIsWrongWithTheFile)
{
    const auto garbage = out("garbage.avi");
    test::writeBytes(garbage, std::vector<std::uint8_t>(5000, 0x41));
    // tape_three-type2.avi with its audio format tag made MPEG layer 3.
    auto bytes = test::readBytes(test::fixturePath("tape_three-type2.avi"));
    core::MemoryBytes memory(bytes, 0);
    std::uint64_t waveFormat = 0;
    core::RiffChunks top(memory, 0, bytes.size());
    const auto riff = top.next();
    ASSERT_TRUE(riff && riff->isList());
    auto inRiff = top.children(*riff);
    while (const auto hdrl = inRiff.next()) {
        if (!hdrl->isList(core::fcc::hdrl))
            continue;
        auto inHeader = inRiff.children(*hdrl);
        while (const auto strl = inHeader.next()) {
            auto inStream = inHeader.children(*strl);
            bool audio = false;
            while (const auto chunk = inStream.next()) {
                std::array<std::uint8_t, 4> type{};
                if (chunk->id == core::fcc::strh && inStream.readData(*chunk, type) == 4)
                    audio = core::FourCC::fromBytes(type.data()) == core::fcc::auds;
                else if (chunk->id == core::fcc::strf && audio)
                    waveFormat = chunk->data();
            }
        }
    }
    ASSERT_NE(waveFormat, 0u);
    bytes[waveFormat] = 0x55;
    bytes[waveFormat + 1] = 0;
    const auto mp3 = out("mp3_audio.avi");
    test::writeBytes(mp3, bytes);

    struct Case {
        std::filesystem::path source;
        SourceErrorCode open;    // DvSourceFile and DvCopySource
        SourceErrorCode extract; // AudioExtractSource
    };
    const Case cases[] = {
        {out("missing.avi"), SourceErrorCode::NotFound, SourceErrorCode::NotFound},
        {garbage, SourceErrorCode::NotDv, SourceErrorCode::NotDv},
        {test::fixturePath("nondv_mpeg4.avi"), SourceErrorCode::NotDv, SourceErrorCode::NotDv},
        {mp3, SourceErrorCode::UnsupportedAudio, SourceErrorCode::UnsupportedAudio},
    };
    for (const Case &c : cases) {
        const auto file = DvSourceFile::open(c.source);
        ASSERT_FALSE(file) << c.source;
        EXPECT_EQ(file.error().code, c.open) << c.source;
        EXPECT_NE(file.error().message.find(c.source.filename().string()), std::string::npos) << file.error().message;
        DvCopyPlan plan;
        plan.source = c.source;
        plan.destination = out("copy.avi");
        const auto copy = DvCopySource::open(plan);
        ASSERT_FALSE(copy) << c.source;
        EXPECT_EQ(copy.error().code, c.open) << c.source;
        const auto extract = AudioExtractSource::open(c.source, out("x.wav"));
        ASSERT_FALSE(extract) << c.source;
        EXPECT_EQ(extract.error().code, c.extract) << c.source;
    }
    const auto silent = AudioExtractSource::open(test::fixturePath("ntsc_nodate-ffmpeg.avi"), out("x.wav"));
    ASSERT_FALSE(silent);
    EXPECT_EQ(silent.error().code, SourceErrorCode::NoAudio);
    // The scan of a file without DV frames fails; that of a DV file opens whatever its audio.
    const auto scanGarbage = DatecodeScanSource::open(garbage, cdm.SceneDetect(), nullptr);
    ASSERT_FALSE(scanGarbage);
    EXPECT_EQ(scanGarbage.error().code, SourceErrorCode::NotDv);
    EXPECT_TRUE(DatecodeScanSource::open(mp3, cdm.SceneDetect(), nullptr));
    EXPECT_FALSE(std::filesystem::exists(out("copy.avi")));
    EXPECT_FALSE(std::filesystem::exists(out("x.wav")));
}

TEST_F(RecipesTest, AWriteFailureEndsTheRunWithAnErrorAndLeavesNoFile)
{
    const auto dest = std::filesystem::path("/proc/camlog-no-such-folder/out.avi");
    ASSERT_TRUE(cdm.BuildConvertirDV2(test::fixturePath("tape_three-type1.avi").string(), dest.string()));
    std::promise<PipelineEnd> done;
    cdm.fg().OnComplete = [&](const PipelineEnd &end) {
        done.set_value(end);
    };
    cdm.fg().Run();
    const PipelineEnd end = done.get_future().get();
    cdm.fg().Stop();
    EXPECT_FALSE(end.ok());
    EXPECT_FALSE(end.error().message.empty());
}

// Holds the run at one frame until the pipeline is asked to stop.
class HoldAtFrame : public MediaStage {
public:
    HoldAtFrame(Pipeline &pipeline, std::int64_t frame) : m_pipeline(pipeline), m_frame(frame) {}
    bool StartStream(const MediaFormat &) override { return true; }
    void Receive(MediaSample &sample) override
    {
        if (sample.mediaStart != m_frame)
            return;
        reached.set_value();
        while (!m_pipeline.StopRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void StopStream() override {}
    std::promise<void> reached;

private:
    Pipeline &m_pipeline;
    std::int64_t m_frame;
};

TEST_F(RecipesTest, AStoppedConversionLeavesAFileThatPlaysToWhereItStopped)
{
    for (const DvAviType type : {DvAviType::Type1, DvAviType::Type2}) {
        Pipeline pipeline;
        HoldAtFrame hold(pipeline, 60);
        DvCopyPlan plan;
        plan.source = test::fixturePath("tape_three-type1.avi");
        plan.destination = out(type == DvAviType::Type1 ? "stopped1.avi" : "stopped2.avi");
        plan.outputType = type;
        plan.audio = type == DvAviType::Type1 ? DvAudioRoute::None : DvAudioRoute::SplitFromFrames;
        plan.videoStages.push_back(&hold);
        auto source = DvCopySource::open(plan);
        ASSERT_TRUE(source) << source.error().message;
        pipeline.SetSource(std::move(source.value()));
        bool completed = false;
        pipeline.OnComplete = [&](const PipelineEnd &) {
            completed = true;
        };
        pipeline.Run();
        hold.reached.get_future().wait();
        pipeline.Stop();
        EXPECT_FALSE(completed);
        EXPECT_TRUE(pipeline.LastEnd().ok()) << messageOf(pipeline.LastEnd());

        // Frames 0 to 60 were written.
        const auto probe = test::runCommand("ffprobe -v error -select_streams v:0 -count_packets -show_entries "
                                            "stream=nb_read_packets -of csv=p=0 '"
                                            + plan.destination.string() + "' 2>&1");
        EXPECT_TRUE(probe.ok);
        EXPECT_EQ(probe.output, "61\n");
        const auto errors = test::runCommand("ffmpeg -v error -i '" + plan.destination.string() + "' -f null - 2>&1");
        EXPECT_TRUE(errors.ok);
        EXPECT_EQ(errors.output, "");
        EXPECT_EQ(readDvFrames(plan.destination).size(), 61u);
    }
}

// A stopped run that was to replace a complete file leaves that file as it was and no partial
// or temporary file beside it; a complete run replaces it.
TEST_F(RecipesTest, AStoppedConversionOverAnExistingFileLeavesThatFile)
{
    const std::filesystem::path source = test::fixturePath("tape_three-type1.avi");
    for (const DvAviType type : {DvAviType::Type1, DvAviType::Type2}) {
        SCOPED_TRACE(type == DvAviType::Type1 ? "type 1" : "type 2");
        DvCopyPlan plan;
        plan.source = source;
        plan.destination = out(type == DvAviType::Type1 ? "earlier1.avi" : "earlier2.avi");
        plan.outputType = type;
        plan.audio = type == DvAviType::Type1 ? DvAudioRoute::None : DvAudioRoute::SplitFromFrames;
        test::writeBytes(plan.destination, std::vector<std::uint8_t>{'e', 'a', 'r', 'l', 'i', 'e', 'r'});
        {
            Pipeline pipeline;
            HoldAtFrame hold(pipeline, 60);
            plan.videoStages = {&hold};
            auto copy = DvCopySource::open(plan);
            ASSERT_TRUE(copy) << copy.error().message;
            pipeline.SetSource(std::move(copy.value()));
            pipeline.Run();
            hold.reached.get_future().wait();
            pipeline.Stop();
            EXPECT_TRUE(pipeline.LastEnd().ok()) << messageOf(pipeline.LastEnd());
        }
        const std::vector<std::uint8_t> earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
        EXPECT_TRUE(test::readBytes(plan.destination) == earlier) << "the earlier file was replaced";
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(plan.destination.parent_path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        const std::vector<std::string> expected = type == DvAviType::Type1
                                                      ? std::vector<std::string>{"earlier1.avi"}
                                                      : std::vector<std::string>{"earlier1.avi", "earlier2.avi"};
        EXPECT_EQ(names, expected);

        // Run to its end, the new file takes the old one's place.
        plan.videoStages.clear();
        auto copy = DvCopySource::open(plan);
        ASSERT_TRUE(copy) << copy.error().message;
        cdm.fg().SetSource(std::move(copy.value()));
        ASSERT_TRUE(runToEnd(cdm));
        EXPECT_EQ(readDvFrames(plan.destination), readDvFrames(source));
        cdm.fg().Reset();
    }
}

} // namespace
} // namespace camlog::media
