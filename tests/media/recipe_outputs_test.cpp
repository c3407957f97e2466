// Every pass-through and within-system recipe on the fixtures gives the very bytes it gave when
// the table below was made; the conversions between systems keep their frame counts, dates and
// sync. A guard for changes to the re-encoding line that must not change what it writes.
#include "media/pipeline/processing_module.h"

#include "core/dv_frame.h"
#include "media_test_support.h"
#include "support/test_files.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <future>
#include <sstream>

namespace camlog::media {
namespace {

namespace fs = std::filesystem;

// FNV-1a, 64 bits, as 16 hex digits: enough to tell two outputs apart in a test.
std::string hashOf(const std::vector<std::uint8_t> &bytes)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const std::uint8_t b : bytes) {
        h ^= b;
        h *= 0x100000001b3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

std::string fileHash(const fs::path &path)
{
    return hashOf(test::readBytes(path));
}

// The MD5 column of ffmpeg's framemd5 of the file's first video stream copied as it is: one
// line per DV frame, read by ffmpeg, not by our reader.
std::string videoFrameMd5s(const fs::path &path)
{
    const auto r = test::runCommand("ffmpeg -nostdin -v error -i '" + path.string()
                                    + "' -map 0:v:0 -c copy -f framemd5 - | grep -v '^#' | awk -F', *' '{print $6}'");
    EXPECT_TRUE(r.ok) << path;
    return r.output;
}

// The MD5 of the first audio stream as ffmpeg decodes it into 16-bit PCM.
std::string audioMd5(const fs::path &path)
{
    const auto r =
        test::runCommand("ffmpeg -nostdin -v error -i '" + path.string() + "' -map 0:a:0 -c:a pcm_s16le -f md5 -");
    EXPECT_TRUE(r.ok) << path;
    return r.output;
}

// Runs what the module built to its end; false when the run failed.
bool runToEnd(TCdm &cdm)
{
    const PipelineEnd end = test::runGraphToEnd(cdm);
    EXPECT_TRUE(end.ok()) << messageOf(end);
    return end.ok();
}

using Recipe = std::function<RunResult(TCdm &, const std::string &source, const std::string &destination)>;

// Frames 25 to 74 (one second into the first recording, to one second into the third).
RunResult cutMiddle(TCdm &cdm, bool type2, const std::string &source, const std::string &destination)
{
    RunResult built = type2 ? cdm.BuildCutScenes2(source, destination) : cdm.BuildCutScenes1(source, destination);
    if (built) {
        const std::int64_t d = cdm.FrameDuration();
        cdm.fg().SetPositions(25 * d, 75 * d);
    }
    return built;
}

struct OutputCase {
    const char *name;
    const char *fixture;
    Recipe recipe;
    const char *hash; // of the whole output file
    bool sameVideo;   // ffmpeg reads the very DV frames of the source in it
    bool sameAudio;   // ffmpeg decodes the very sound of the source from it
};

// The fixtures and the FFmpeg the hashes were made with: elsewhere (another FFmpeg makes other
// fixtures, another encoder other frames) only the checks through ffmpeg hold.
constexpr const char *kFixtureHash = "ac542d78341835cc";
constexpr unsigned kAvcodecVersion = 3876196;

std::string fixturesFingerprint()
{
    std::ostringstream all;
    for (const char *name :
         {"tape_three-type1.avi", "tape_three-type2.avi", "pal_16x9_32k-type1.avi", "pal_16x9_32k-type2.avi",
          "ntsc_4x3_48k-type1.avi", "ntsc_4x3_48k-type2.avi", "tape_audio.dv", "pal_4x3_48k.dv", "nondv_mpeg4.avi"})
        all << fileHash(test::fixturePath(name));
    const std::string text = all.str();
    return hashOf({text.begin(), text.end()});
}

std::vector<OutputCase> outputCases()
{
    using S = const std::string &;
    return {
        {"Type2FromType1", "tape_three-type1.avi", [](TCdm &c, S s, S d) { return c.BuildConvertirDV2(s, d); },
         "259eab9516051e56", true, true},
        {"Type2FromNtscType1", "ntsc_4x3_48k-type1.avi", [](TCdm &c, S s, S d) { return c.BuildConvertirDV2(s, d); },
         "2324a55185924006", true, true},
        {"Type2FromRawDvWithARateChange", "tape_audio.dv", [](TCdm &c, S s, S d) { return c.BuildConvertirDV2(s, d); },
         "a194c457ad5c2404", true, false},
        {"Type1FromDvgrabType2", "tape_three-type2.avi", [](TCdm &c, S s, S d) { return c.BuildConvertirDV1(s, d); },
         "9634fb19a620b2f9", true, true},
        {"Type1FromWide32kType2", "pal_16x9_32k-type2.avi", [](TCdm &c, S s, S d) { return c.BuildConvertirDV1(s, d); },
         "cc47ec54e1357519", true, true},
        {"CleanType2", "tape_three-type2.avi", [](TCdm &c, S s, S d) { return c.BuildCorrigerType2(s, d); },
         "259eab9516051e56", true, true},
        {"HeaderFilterType1", "tape_three-type1.avi", [](TCdm &c, S s, S d) { return c.BuildDVheaderGraph(s, d); },
         "b17e3366d1bbbb88", false, false},
        {"HeaderFilterType2", "pal_16x9_32k-type2.avi", [](TCdm &c, S s, S d) { return c.BuildDVheaderGraph(s, d); },
         "1eb20f29ba97488b", false, false},
        {"SceneType1", "tape_three-type1.avi", [](TCdm &c, S s, S d) { return cutMiddle(c, false, s, d); },
         "44890aac5d2f4b7b", false, false},
        {"SceneType2", "tape_three-type2.avi", [](TCdm &c, S s, S d) { return cutMiddle(c, true, s, d); },
         "8f666c1281a53e3e", false, false},
        {"AudioToWav", "tape_three-type1.avi", [](TCdm &c, S s, S d) { return c.BuildExtraireAudio(s, d); },
         "078515d35fdb10f6", false, true},
        {"PalToPalType1", "pal_16x9_32k-type1.avi",
         [](TCdm &c, S s, S d) { return c.BuildNtscPal1(s, d, DvSystem::Pal); }, "316eb16c297bc1c9", false, false},
        {"NtscToNtscType2Fields", "ntsc_4x3_48k-type2.avi",
         [](TCdm &c, S s, S d) { return c.BuildNtscPal2(s, d, DvSystem::Ntsc, false); }, "2324a55185924006", false,
         false},
        {"InlayType1", "pal_16x9_32k-type1.avi",
         [](TCdm &c, S s, S d) { return c.BuildIncruster1(s, d, DvSystem::Pal); }, "ee3d37594fba0c06", false, false},
        {"InlayType2Ntsc", "ntsc_4x3_48k-type2.avi",
         [](TCdm &c, S s, S d) { return c.BuildIncruster2(s, d, DvSystem::Ntsc); }, "cbb8c0988a44c3b6", false, false},
        {"RecompressDvOfItsOwnSystem", "pal_4x3_48k.dv",
         [](TCdm &c, S s, S d) { return c.BuildRecompresserDV2(s, d, DvSystem::Pal, false, 48000); },
         "45954bc352654442", false, false},
        {"RecompressMpeg4", "nondv_mpeg4.avi",
         [](TCdm &c, S s, S d) { return c.BuildRecompresserDV2(s, d, DvSystem::Pal, false, 48000); },
         "70c5ef489c996ae0", false, false},
    };
}

void PrintTo(const OutputCase &c, std::ostream *out)
{
    *out << c.name;
}

class RecipeOutputTest : public ::testing::TestWithParam<OutputCase> {
protected:
    static void SetUpTestSuite()
    {
        // The inlay draws text, which needs the process's GUI application (offscreen: no display).
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 3;
            static char name[] = "camlog_pipeline_tests", option[] = "-platform", platform[] = "offscreen";
            static char *argv[] = {name, option, platform, nullptr};
            static QGuiApplication app(argc, argv);
        }
    }
};

TEST_P(RecipeOutputTest, GivesTheSameBytesAsBefore)
{
    const OutputCase &c = GetParam();
    const fs::path dir = test::scratchDir(std::string("recipe_outputs_") + c.name);
    const fs::path source = test::fixturePath(c.fixture);
    const fs::path output = dir / (std::string(c.name) + (std::string(c.name) == "AudioToWav" ? ".wav" : ".avi"));
    TCdm cdm;
    ASSERT_TRUE(test::succeeded(c.recipe(cdm, source.string(), output.string())));
    ASSERT_TRUE(runToEnd(cdm));

    if (c.sameVideo) {
        EXPECT_EQ(videoFrameMd5s(output), videoFrameMd5s(source));
    }
    if (c.sameAudio) {
        EXPECT_EQ(audioMd5(output), audioMd5(source));
    }
    const std::string hash = fileHash(output);
    if (fixturesFingerprint() == kFixtureHash && avcodec_version() == kAvcodecVersion) {
        EXPECT_EQ(hash, c.hash) << c.name;
    } else {
        std::printf("%s %s (fixtures %s, libavcodec %u)\n", c.name, hash.c_str(), fixturesFingerprint().c_str(),
                    avcodec_version());
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Recipes, RecipeOutputTest, ::testing::ValuesIn(outputCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// The conversions between systems: the frame count, the first and last dates, and the sound
// ending with the pictures.
struct ConversionCase {
    const char *name;
    const char *fixture;
    DvSystem target;
    bool type2;
    std::size_t frames;
    core::TDatecode first;
    core::TDatecode last;
};

void PrintTo(const ConversionCase &c, std::ostream *out)
{
    *out << c.name;
}

class SystemConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(SystemConversionTest, KeepsFramesDatesAndSync)
{
    const ConversionCase &c = GetParam();
    const fs::path dir = test::scratchDir(std::string("recipe_outputs_") + c.name);
    const fs::path output = dir / "out.avi";
    TCdm cdm;
    const std::string source = test::fixturePath(c.fixture).string();
    ASSERT_TRUE(test::succeeded(c.type2 ? cdm.BuildNtscPal2(source, output.string(), c.target)
                                        : cdm.BuildNtscPal1(source, output.string(), c.target)));
    ASSERT_TRUE(runToEnd(cdm));

    const test::DvFrames frames = test::readDvFrames(output);
    ASSERT_EQ(frames.size(), c.frames);
    const int nseq = dvSequences(c.target);
    core::TDatecode first, last;
    ASSERT_TRUE(core::ReadDatecode(frames.front(), nseq, first));
    ASSERT_TRUE(core::ReadDatecode(frames.back(), nseq, last));
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(last, c.last);
    // The sound ends where the pictures end, within one frame.
    const double frameSeconds = dvFrameSeconds(c.target);
    const double audioEnd = test::ffprobeAudioEnd(output);
    EXPECT_NEAR(audioEnd, static_cast<double>(c.frames) * frameSeconds, frameSeconds) << c.name;
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Recipes, SystemConversionTest,
                         ::testing::Values(ConversionCase{"PalType2ToNtsc",
                                                          "tape_three-type2.avi",
                                                          DvSystem::Ntsc,
                                                          true,
                                                          150,
                                                          {2024, 5, 1, 10, 0, 0},
                                                          {2024, 5, 1, 9, 0, 0}},
                                           ConversionCase{"NtscType1ToPal",
                                                          "ntsc_4x3_48k-type1.avi",
                                                          DvSystem::Pal,
                                                          false,
                                                          24,
                                                          {2000, 12, 31, 23, 59, 58},
                                                          {2000, 12, 31, 23, 59, 58}}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace camlog::media
