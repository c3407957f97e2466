// End-to-end runs of the graph commands through `camlog --batch` on copies of the generated DV
// files; every output is read back by our frame reader and by ffprobe, mediainfo and exiftool.
#include "batch/batch_runner.h"

#include "core/dv_frame.h"
#include "media/audio/dv_audio_layout.h"
#include "media/media_test_support.h"
#include "media/reading/dv_frame_reader.h"
#include "media/writing/dv_avi_writer.h"
#include "scenes/scn_file.h"
#include "support/riff_builder.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;
using Frames = DvFrames;

std::string tool(const std::string &command)
{
    return runCommand(command + " 2>&1").output;
}

std::string probe(const fs::path &path, const std::string &what)
{
    return tool("ffprobe -v error " + what + " -of csv=p=0 '" + path.string() + "'");
}

std::string videoPackets(const fs::path &path)
{
    return probe(path, "-select_streams v:0 -count_packets -show_entries stream=nb_read_packets");
}

core::TDatecode datecodeOf(const std::vector<std::uint8_t> &frame)
{
    core::TDatecode d;
    EXPECT_TRUE(core::ReadDatecode(frame, core::SequencesForFrameSize(frame.size()), d));
    return d;
}

// The recording date exiftool reads from raw DV made of the frames.
std::string exiftoolDate(const Frames &frames, const fs::path &raw)
{
    {
        std::ofstream out(raw, std::ios::binary);
        for (const auto &frame : frames)
            out.write(reinterpret_cast<const char *>(frame.data()), static_cast<std::streamsize>(frame.size()));
    }
    return tool("exiftool -s3 -DateTimeOriginal '" + raw.string() + "'");
}

// A type 2 file whose DV comes as an interleaved stream: an iavs stream beside a PCM stream,
// made of the frames and audio of a dvgrab file.
void writeIavsType2(const fs::path &type2Source, const fs::path &out)
{
    const Frames frames = readDvFrames(type2Source);
    const std::vector<std::uint8_t> pcm = firstAudioStreamBytes(type2Source);
    const std::size_t perFrame = pcm.size() / frames.size();
    const auto n = static_cast<std::uint32_t>(frames.size());

    Bytes dvinfo = zeros(32);
    dvinfo[18] = 0x20; // dwDVVAuxSrc: the 50-field bit
    Bytes wave;
    appendLe16(wave, 1);
    appendLe16(wave, 2);
    appendLe32(wave, 48000);
    appendLe32(wave, 192000);
    appendLe16(wave, 4);
    appendLe16(wave, 16);
    appendLe16(wave, 0);
    Bytes movi = text("movi");
    for (std::size_t i = 0; i < frames.size(); ++i) {
        movi = cat({movi, chunk("00__", Bytes(frames[i].begin(), frames[i].end()))});
        movi = cat({movi, chunk("01wb", Bytes(pcm.begin() + i * perFrame, pcm.begin() + (i + 1) * perFrame))});
    }
    Bytes moviList = chunkHeader("LIST", static_cast<std::uint32_t>(movi.size()));
    moviList.insert(moviList.end(), movi.begin(), movi.end());
    const Bytes file = riff(
        "AVI ",
        {list("hdrl", {chunk("avih", mainHeaderData(40000, n, 2, 720, 576)),
                       list("strl", {chunk("strh", streamHeaderData("iavs", "dvsd", 1, 25, n)), chunk("strf", dvinfo)}),
                       list("strl", {chunk("strh", streamHeaderData("auds", "", 1, 48000,
                                                                    static_cast<std::uint32_t>(pcm.size() / 4))),
                                     chunk("strf", wave)})}),
         moviList});
    writeBytes(out, file);
}

class GraphBatchTest : public ::testing::Test {
protected:
    GraphBatchTest() : root(scratchDir("graph_batch")), runner(root), videos(root / "v")
    {
        fs::create_directories(videos);
    }

    fs::path Copy(const std::string &fixture, const std::string &name)
    {
        const fs::path target = videos / name;
        fs::copy_file(fixturePath(fixture), target, fs::copy_options::overwrite_existing);
        return target;
    }

    // Opens the file and runs the calls on it; the run must succeed.
    void RunOn(const fs::path &file, std::vector<std::string> calls)
    {
        std::vector<std::string> args{"--yes", "/o=" + file.string()};
        args.insert(args.end(), calls.begin(), calls.end());
        const BatchResult result = runner.batch(args);
        EXPECT_EQ(result.status, 0) << result.err;
    }

    fs::path root;
    BatchRunner runner;
    fs::path videos;
};

TEST_F(GraphBatchTest, Type2AndBackToType1KeepTheFramesAndTheAudio)
{
    for (const char *fixture : {"tape_three-type1.avi", "tape_three-opendml.avi"}) {
        SCOPED_TRACE(fixture);
        const fs::path source = Copy(fixture, "tape.avi");
        RunOn(source, {"/2"});
        const fs::path type2 = videos / "tape_type2.avi";
        RunOn(type2, {"/1"});
        const fs::path type1 = videos / "tape_type2_type1.avi";

        const Frames original = readDvFrames(source);
        ASSERT_EQ(original.size(), 125u);
        EXPECT_EQ(readDvFrames(type2), original);
        EXPECT_EQ(readDvFrames(type1), original);
        EXPECT_EQ(firstAudioStreamBytes(type2), firstAudioStreamBytes(fixturePath("tape_three-type2.avi")));
        EXPECT_EQ(probe(type2, "-show_entries stream=codec_name,codec_type"), "dvvideo,video\npcm_s16le,audio\n");
        EXPECT_EQ(videoPackets(type2), "125\n");
        EXPECT_EQ(videoPackets(type1), "125\n");
        EXPECT_EQ(probe(type1, "-show_entries format=duration"), "5.000000\n");
        EXPECT_EQ(tool("mediainfo --Inform='Video;%Format% %FrameCount%' '" + type1.string() + "'"), "DV 125\n");
        EXPECT_EQ(exiftoolDate(readDvFrames(type1), root / "t1.dv"), "2024:05:01 10:00:00\n");
        fs::remove_all(videos);
        fs::create_directories(videos);
    }
}

TEST_F(GraphBatchTest, FixType2RewritesAnInterleavedStreamAsDvVideo)
{
    const fs::path source = videos / "iavs.avi";
    writeIavsType2(fixturePath("tape_three-type2.avi"), source);
    RunOn(source, {"/ft"});
    const fs::path fixed = videos / "iavs_fixed.avi";
    ASSERT_TRUE(fs::exists(fixed));
    EXPECT_EQ(readDvFrames(fixed), readDvFrames(fixturePath("tape_three-type2.avi")));
    EXPECT_EQ(firstAudioStreamBytes(fixed), firstAudioStreamBytes(fixturePath("tape_three-type2.avi")));
    auto reader = media::DvFrameReader::open(fixed);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.value()->streams().at(0).type, core::fcc::vids);
    EXPECT_EQ(probe(fixed, "-show_entries stream=codec_name"), "dvvideo\npcm_s16le\n");
}

TEST_F(GraphBatchTest, AspectConversionsSetTheFlagOfEveryFrame)
{
    const fs::path narrow = Copy("tape_three-type2.avi", "narrow.avi");
    RunOn(narrow, {"/16x9"});
    const fs::path wide = videos / "narrow_16x9.avi";
    EXPECT_EQ(probe(wide, "-select_streams v:0 -show_entries stream=display_aspect_ratio"), "16:9\n");
    const Frames source = readDvFrames(narrow);
    const Frames out = readDvFrames(wide);
    ASSERT_EQ(out.size(), source.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto expected = source[i];
        core::SetAspect16x9(expected, 12, true);
        ASSERT_EQ(out[i], expected) << i;
    }

    const fs::path wideSource = Copy("pal_16x9_32k-type1.avi", "wide.avi");
    RunOn(wideSource, {"/4x3"});
    const fs::path fourThree = videos / "wide_4x3.avi";
    EXPECT_EQ(probe(fourThree, "-select_streams v:0 -show_entries stream=display_aspect_ratio"), "4:3\n");
    for (const auto &frame : readDvFrames(fourThree)) {
        bool is16x9 = true;
        ASSERT_TRUE(core::ReadIs16x9(frame, 12, is16x9));
        ASSERT_FALSE(is16x9);
    }
}

TEST_F(GraphBatchTest, HalfADayOfTimeDifferenceCrossesMidnightAndTheYearEnd)
{
    // 2000-12-31 23:59:58 onwards, type 2.
    const fs::path source = Copy("ntsc_4x3_48k-type2.avi", "ny.avi");
    RunOn(source, {"/e=0.5"});
    const fs::path shifted = videos / "ny_(+12h).avi";
    ASSERT_TRUE(fs::exists(shifted));
    const Frames before = readDvFrames(source);
    const Frames after = readDvFrames(shifted);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        const auto was = core::DatecodeToDateTime(datecodeOf(before[i]));
        const auto is = core::DatecodeToDateTime(datecodeOf(after[i]));
        ASSERT_TRUE(was && is);
        EXPECT_EQ(*is, *was + core::DateTime::fromDays(0.5)) << i;
    }
    EXPECT_EQ(datecodeOf(after.front()), (core::TDatecode{2001, 1, 1, 11, 59, 58}));
    EXPECT_EQ(firstAudioStreamBytes(shifted), firstAudioStreamBytes(source));
    EXPECT_EQ(exiftoolDate(after, root / "ny.dv"), "2001:01:01 11:59:58\n");
    EXPECT_EQ(probe(shifted, "-show_entries stream=codec_name"), "dvvideo\npcm_s16le\n");

    // Evening recordings moved half a day on land on the next morning.
    const fs::path evening = Copy("pal_16x9_32k-type1.avi", "evening.avi"); // 2010-02-16 21:36:28
    RunOn(evening, {"/e=0.5"});
    const Frames moved = readDvFrames(videos / "evening_(+12h).avi");
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(datecodeOf(moved.front()), (core::TDatecode{2010, 2, 17, 9, 36, 28}));
}

TEST_F(GraphBatchTest, ExtractAudioWritesTheWholeSound)
{
    for (const char *fixture : {"tape_three-type1.avi", "tape_three-type2.avi"}) {
        const fs::path source = Copy(fixture, std::string("a_") + fixture);
        RunOn(source, {"/w"});
        fs::path wav = source;
        wav.replace_extension(".wav");
        ASSERT_TRUE(fs::exists(wav)) << fixture;
        EXPECT_EQ(fs::file_size(wav), 44u + 125u * 1920u * 4u);
        EXPECT_EQ(probe(wav, "-show_entries stream=codec_name,sample_rate,channels"), "pcm_s16le,48000,2\n");
        EXPECT_EQ(probe(wav, "-show_entries format=duration"), "5.000000\n");
    }
}

TEST_F(GraphBatchTest, ScnByDateThenSplitInScenes)
{
    const fs::path source = Copy("tape_three-type2.avi", "three.avi");
    RunOn(source, {"/cd"});
    scenes::SceneList list;
    scenes::SceneContext context;
    context.frameRate = 25;
    ASSERT_TRUE(scenes::ReadScnFile(videos / "three.scn", list, context).ok());
    ASSERT_EQ(list.size(), 3u);

    RunOn(source, {"/c"});
    const Frames all = readDvFrames(source);
    const std::vector<std::uint8_t> audio = firstAudioStreamBytes(source);
    const std::pair<int, int> expected[] = {{0, 50}, {50, 100}, {100, 125}};
    for (int p = 0; p < 3; ++p) {
        const fs::path scene = videos / ("three_scene_" + std::to_string(p + 1) + ".avi");
        const Frames cut = readDvFrames(scene);
        ASSERT_EQ(cut.size(), static_cast<std::size_t>(expected[p].second - expected[p].first));
        EXPECT_TRUE(std::equal(cut.begin(), cut.end(), all.begin() + expected[p].first));
        const std::size_t perFrame = 1920 * 4;
        EXPECT_EQ(firstAudioStreamBytes(scene),
                  std::vector<std::uint8_t>(audio.begin() + expected[p].first * perFrame,
                                            audio.begin() + expected[p].second * perFrame));
        EXPECT_EQ(videoPackets(scene), std::to_string(cut.size()) + "\n");
    }
    EXPECT_FALSE(fs::exists(videos / "three_scene_4.avi"));
}

// Two files cut in one run: the second one's first scene file is kept (answered No at the
// terminal), yet its other scenes are cut from its own scene list, not from the first file's.
TEST_F(GraphBatchTest, SplitInScenesOverTwoFilesCutsEachWithItsOwnScenes)
{
    scenes::SceneContext context;
    context.frameRate = 25;
    const auto saveScenes = [&](const fs::path &video, std::vector<std::pair<int, int>> ranges) {
        scenes::SceneList list;
        for (const auto &[start, end] : ranges)
            list.push_back({"", std::make_unique<scenes::TSceneClass>(start, end, context)});
        ASSERT_TRUE(scenes::SaveSceneList(video.string(), list).ok);
    };
    const fs::path a = Copy("tape_three-type2.avi", "a.avi");
    const fs::path b = Copy("tape_three-type1.avi", "b.avi");
    saveScenes(a, {{0, 50}, {50, 100}, {100, 125}});
    saveScenes(b, {{0, 40}, {40, 110}});
    const fs::path kept = videos / "b_scene_1.avi";
    WriteText(kept, "kept");

    const BatchResult result = runner.batchAtTerminal("n\n", {"/o=" + a.string(), "/o=" + b.string(), "/a", "/c"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("b_scene_1.avi"), std::string::npos) << result.err;

    const auto expectCut = [&](const fs::path &source, const fs::path &scene, int first, int last) {
        SCOPED_TRACE(scene.filename().string());
        const Frames all = readDvFrames(source);
        const Frames cut = readDvFrames(scene);
        ASSERT_EQ(cut.size(), static_cast<std::size_t>(last - first));
        EXPECT_TRUE(std::equal(cut.begin(), cut.end(), all.begin() + first));
        EXPECT_EQ(videoPackets(scene), std::to_string(cut.size()) + "\n");
    };
    expectCut(a, videos / "a_scene_1.avi", 0, 50);
    expectCut(a, videos / "a_scene_2.avi", 50, 100);
    expectCut(a, videos / "a_scene_3.avi", 100, 125);
    std::ifstream in(kept, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "kept");
    expectCut(b, videos / "b_scene_2.avi", 40, 110);
    EXPECT_FALSE(fs::exists(videos / "b_scene_3.avi"));
}

// A type 1 tape that starts on frames without sound (their audio blocks blanked, as a camcorder
// writes them over a blank stretch): its listing, its type 2 copy and its extracted sound keep
// the audio of every other frame, in step with the pictures.
TEST_F(GraphBatchTest, ATapeStartingWithoutSoundKeepsTheSoundOfTheOtherFrames)
{
    constexpr std::size_t kSilent = 3;
    Frames frames = readDvFrames(fixturePath("tape_three-type1.avi"));
    ASSERT_EQ(frames.size(), 125u);
    for (std::size_t i = 0; i < kSilent; ++i)
        for (int s = 0; s < 12; ++s)
            for (int k = 0; k < 9; ++k) {
                const std::size_t block = media::dv_audio::AudioBlockOffset(s, k);
                std::fill(frames[i].begin() + static_cast<std::ptrdiff_t>(block + 3),
                          frames[i].begin() + static_cast<std::ptrdiff_t>(block + 8), 0xFF); // no AAUX pack
                std::fill(frames[i].begin() + static_cast<std::ptrdiff_t>(block + 8),
                          frames[i].begin() + static_cast<std::ptrdiff_t>(block + 80), 0x00);
            }
    const fs::path source = videos / "blank_start.avi";
    {
        const auto format = media::DvAviFormat::fromFrame(frames[0], media::DvAviType::Type1);
        ASSERT_TRUE(format);
        auto writer = media::DvAviWriter::create(source, *format);
        ASSERT_TRUE(writer);
        for (const auto &frame : frames)
            ASSERT_TRUE(writer.value()->writeFrame(frame));
        ASSERT_TRUE(writer.value()->finish());
    }

    const BatchResult listing = runner.run({"--list", "--no-scenes", source.string()});
    EXPECT_NE(listing.out.find("48000Hz"), std::string::npos) << listing.out;

    RunOn(source, {"/2", "/w"});
    const fs::path type2 = videos / "blank_start_type2.avi";
    EXPECT_EQ(probe(type2, "-select_streams a -show_entries stream=codec_name,sample_rate,channels"),
              "pcm_s16le,48000,2\n");
    const std::size_t perFrame = 1920 * 4;
    const std::vector<std::uint8_t> original = firstAudioStreamBytes(fixturePath("tape_three-type2.avi"));
    ASSERT_EQ(original.size(), 125 * perFrame);
    std::vector<std::uint8_t> expected(original);
    std::fill(expected.begin(), expected.begin() + kSilent * perFrame, 0);
    EXPECT_TRUE(firstAudioStreamBytes(type2) == expected) << "the sound is missing or out of step";
    EXPECT_EQ(readDvFrames(type2), frames);

    const fs::path wav = videos / "blank_start.wav";
    ASSERT_TRUE(fs::exists(wav));
    EXPECT_EQ(probe(wav, "-show_entries stream=codec_name,sample_rate,channels"), "pcm_s16le,48000,2\n");
    EXPECT_EQ(probe(wav, "-show_entries format=duration"), "5.000000\n");
    const std::vector<std::uint8_t> wavBytes = test::readBytes(wav);
    ASSERT_EQ(wavBytes.size(), 44 + expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), wavBytes.begin() + 44));
}

TEST_F(GraphBatchTest, CreerSrtWritesTheSubtitlesBesideTheVideo)
{
    const fs::path source = Copy("tape_three-type1.avi", "sub.avi");
    RunOn(source, {"/sr"});
    std::ifstream in(videos / "sub.srt", std::ios::binary);
    const std::string srt((std::istreambuf_iterator<char>(in)), {});
    // The default inlay settings: date and time at each recording, one subtitle per second.
    EXPECT_EQ(srt.rfind("1\r\n00:00:00,000 --> 00:00:01,000\r\n", 0), 0u) << srt;
    EXPECT_NE(srt.find("5\r\n00:00:04,000 --> 00:00:05,000\r\n"), std::string::npos) << srt;
    EXPECT_EQ(srt.find("6\r\n"), std::string::npos) << srt;
    // What ffprobe parsed: a subrip stream of five subtitles, one second each from 0 s.
    const fs::path file = videos / "sub.srt";
    EXPECT_EQ(probe(file, "-select_streams s:0 -count_packets -show_entries stream=codec_name,nb_read_packets"),
              "subrip,5\n");
    EXPECT_EQ(probe(file, "-select_streams s:0 -show_entries packet=pts_time,duration_time").substr(0, 36),
              "0.000000,1.000000\n1.000000,1.000000\n");
    // And the texts ffmpeg decodes: the first subtitle is the first line of the file's first entry.
    const std::string decoded = tool("ffmpeg -v error -i '" + file.string() + "' -f webvtt -");
    const std::size_t firstLine = srt.find("\r\n", srt.find("-->")) + 2;
    const std::string firstText = srt.substr(firstLine, srt.find("\r\n", firstLine) - firstLine);
    ASSERT_FALSE(firstText.empty()) << srt;
    EXPECT_NE(decoded.find("00:00.000 --> 00:01.000\n" + firstText + "\n"), std::string::npos) << decoded;
}

} // namespace
} // namespace camlog::test
