// The graph commands through the engine on copies of the fixtures: outputs checked with our frame
// reader and with ffprobe, mediainfo and exiftool.
#include "commands/graph_bindings.h"
#include "commands/processing_graph.h"
#include "commands_fixture.h"
#include "core/dv_frame.h"
#include "media/media_test_support.h"
#include "media/reading/dv_frame_reader.h"
#include "scenes/scn_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace camlog::commands::test {
namespace {

using camlog::test::DvFrames;
using camlog::test::firstAudioStreamBytes;
using camlog::test::readDvFrames;
using Frames = DvFrames;

std::string tool(const std::string &command)
{
    return camlog::test::runCommand(command + " 2>&1").output;
}

std::string videoPackets(const std::string &path)
{
    return tool("ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 '"
                + path + "'");
}

class GraphCommands : public CommandsFixture {
protected:
    GraphCommands()
    {
        settings.saveInSameFolder = true;
        BindGraphCommands(dm, graph);
    }

    // Runs the command on one copy of a fixture; the copy's path.
    std::string RunOn(engine::TGraphCmd &cmd, const std::string &fixture, const std::string &name,
                      const engine::TParams &params = {})
    {
        const std::string path = CopyFixture(fixture, name);
        AddToList(path);
        EXPECT_TRUE(Run(cmd, params));
        list.entries.clear();
        list.active = -1;
        return path;
    }

    bool ErrorLogged() const
    {
        return std::any_of(host.log.begin(), host.log.end(),
                           [](const std::string &line) { return line.rfind("error", 0) == 0; });
    }

    ProcessingGraph graph;
};

TEST_F(GraphCommands, Type1ToType2ToType1GivesIdenticalFramesAndAudio)
{
    const std::string source = RunOn(dm.ConvertirDV2, "tape_three-type1.avi", "tape.avi");
    const std::string type2 = (Scratch() / "tape_type2.avi").string();
    ASSERT_TRUE(Exists(type2));
    EXPECT_FALSE(ErrorLogged());
    // The new file joined the list, and the gauge ran over the file's length.
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "progress " + std::to_string(125 * 400000 / 1024)),
              host.log.end());
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "end-progress"), host.log.end());

    AddToList(type2);
    ASSERT_TRUE(Run(dm.ConvertirDV1));
    const std::string type1 = (Scratch() / "tape_type2_type1.avi").string();
    ASSERT_TRUE(Exists(type1));
    EXPECT_FALSE(ErrorLogged());

    const Frames original = readDvFrames(source);
    ASSERT_EQ(original.size(), 125u);
    EXPECT_EQ(readDvFrames(type2), original);
    EXPECT_EQ(readDvFrames(type1), original);
    // The audio samples of a second type 2 conversion are those of the first.
    list.entries.clear();
    AddToList(type1);
    ASSERT_TRUE(Run(dm.ConvertirDV2));
    EXPECT_EQ(firstAudioStreamBytes((Scratch() / "tape_type2_type1_type2.avi").string()), firstAudioStreamBytes(type2));

    EXPECT_EQ(tool("ffprobe -v error -show_entries stream=codec_name,codec_type -of csv=p=0 '" + type2 + "'"),
              "dvvideo,video\npcm_s16le,audio\n");
    EXPECT_EQ(videoPackets(type1), "125\n");
    EXPECT_EQ(tool("mediainfo --Inform='Video;%Format%' '" + type2 + "'"), "DV\n");
    EXPECT_EQ(tool("mediainfo --Inform='Audio;%SamplingRate%' '" + type2 + "'"), "48000\n");
}

TEST_F(GraphCommands, OutputsCarryTheOpenDmlIndexes)
{
    RunOn(dm.ConvertirDV2, "tape_three-opendml.avi", "odml.avi");
    const std::string out = (Scratch() / "odml_type2.avi").string();
    auto reader = media::DvFrameReader::open(out);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.value()->indexSource(), media::IndexSource::OpenDml);
    EXPECT_EQ(videoPackets(out), "125\n");
}

TEST_F(GraphCommands, ScnByDateThenSplitInScenesCutsAtTheRecordings)
{
    for (const char *fixture : {"tape_three-type1.avi", "tape_three-type2.avi"}) {
        SCOPED_TRACE(fixture);
        const std::string name = std::string(fixture).find("type2") != std::string::npos ? "t2.avi" : "t1.avi";
        const std::string path = CopyFixture(fixture, name);
        AddToList(path);
        ASSERT_TRUE(Run(dm.CreerScnByDate));
        scenes::SceneList scenesRead;
        scenes::SceneContext context;
        context.frameRate = 25;
        ASSERT_TRUE(scenes::ReadScnFile(scenes::ScnFileName(path), scenesRead, context).ok());
        ASSERT_EQ(scenesRead.size(), 3u);
        EXPECT_EQ(scenesRead[1].scene->start, 50);
        EXPECT_EQ(scenesRead[1].scene->end, 100);

        // The list entry was reloaded and now knows its scn file, which "Split in scenes" needs.
        list.entries.clear();
        AddToList(path);
        host.log.clear();
        ASSERT_TRUE(Run(dm.CutScenes));
        EXPECT_FALSE(ErrorLogged());
        const Frames all = readDvFrames(path);
        const std::vector<std::pair<int, int>> expected{{0, 50}, {50, 100}, {100, 125}};
        const std::string stem = path.substr(0, path.size() - 4);
        for (std::size_t p = 0; p < expected.size(); ++p) {
            const std::string scene = stem + "_scene_" + std::to_string(p + 1) + ".avi";
            const Frames cut = readDvFrames(scene);
            ASSERT_EQ(cut.size(), static_cast<std::size_t>(expected[p].second - expected[p].first)) << scene;
            EXPECT_TRUE(std::equal(cut.begin(), cut.end(), all.begin() + expected[p].first)) << scene;
            EXPECT_EQ(videoPackets(scene), std::to_string(cut.size()) + "\n");
        }
        EXPECT_FALSE(Exists(stem + "_scene_4.avi"));
        // Each pass's gauge runs over its own scene.
        EXPECT_NE(std::find(host.log.begin(), host.log.end(), "progress " + std::to_string(25 * 400000 / 1024)),
                  host.log.end());
        list.entries.clear();
        list.active = -1;
    }
}

TEST_F(GraphCommands, SplitInScenesWithoutScenesWritesNothing)
{
    const std::string path = CopyFixture("tape_three-type1.avi", "empty.avi");
    // A scn file with no scene in it.
    {
        scenes::TwriteScene writer(path);
        ASSERT_TRUE(writer.close());
    }
    AddToList(path);
    ASSERT_TRUE(Run(dm.CutScenes));
    EXPECT_FALSE(Exists((Scratch() / "empty_scene_1.avi").string()));
}

TEST_F(GraphCommands, ExtractAudioWritesAWavOfTheRightSize)
{
    for (const char *fixture : {"tape_three-type1.avi", "tape_three-type2.avi"}) {
        const std::string path = RunOn(dm.ExtraireAudio, fixture, std::string("a") + fixture);
        const std::string wav = path.substr(0, path.size() - 4) + ".wav";
        ASSERT_TRUE(Exists(wav)) << fixture;
        EXPECT_EQ(std::filesystem::file_size(wav), 44u + 125u * 1920u * 4u);
        EXPECT_EQ(tool("ffprobe -v error -show_entries stream=sample_rate,channels -of csv=p=0 '" + wav + "'"),
                  "48000,2\n");
    }
}

TEST_F(GraphCommands, CreerSrtWritesOneSubtitlePerSecondOfEachRecording)
{
    settings.whatIncrust = 0;
    settings.whenIncrust = 2;
    settings.dureeIncrustation = 5;
    settings.formatDate1 = "yyyy-mm-dd";
    settings.formatDate2 = "hh:nn:ss";
    const std::string path = RunOn(dm.CreerSrt, "tape_three-type2.avi", "srt.avi");
    EXPECT_FALSE(ErrorLogged());
    const std::string srt = Content(scenes::SrtFileName(path));
    const std::string expectedStart = "1\r\n00:00:00,000 --> 00:00:01,000\r\n2024-05-01\r\n10:00:00\r\n\r\n"
                                      "2\r\n00:00:01,000 --> 00:00:02,000\r\n2024-05-01\r\n10:00:01\r\n\r\n"
                                      "3\r\n00:00:02,000 --> 00:00:03,000\r\n2024-05-01\r\n10:05:00\r\n\r\n";
    EXPECT_EQ(srt.substr(0, expectedStart.size()), expectedStart);
    EXPECT_NE(srt.find("5\r\n00:00:04,000 --> 00:00:05,000\r\n2024-05-01\r\n09:00:00\r\n"), std::string::npos);
    EXPECT_EQ(srt.find("6\r\n"), std::string::npos);
}

TEST_F(GraphCommands, FixATimeDifferenceShiftsAcrossMidnightAndTheYearEnd)
{
    // Recorded from 2000-12-31 23:59:58; half a day later is past noon of New Year's Day.
    const std::string path = RunOn(dm.DecalerHoraire, "ntsc_4x3_48k-type1.avi", "ny.avi", {"0.5"});
    const std::string shifted = (Scratch() / "ny_(+12h).avi").string();
    ASSERT_TRUE(Exists(shifted));
    const Frames before = readDvFrames(path);
    const Frames after = readDvFrames(shifted);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        core::TDatecode d0, d1;
        ASSERT_TRUE(core::ReadDatecode(before[i], 10, d0));
        ASSERT_TRUE(core::ReadDatecode(after[i], 10, d1));
        EXPECT_EQ(*core::DatecodeToDateTime(d1), *core::DatecodeToDateTime(d0) + core::DateTime::fromDays(0.5));
        core::TTimecode t0, t1;
        ASSERT_TRUE(core::ReadTimecode(before[i], 10, t0));
        ASSERT_TRUE(core::ReadTimecode(after[i], 10, t1));
        EXPECT_EQ(t0, t1);
    }
    core::TDatecode first;
    ASSERT_TRUE(core::ReadDatecode(after.front(), 10, first));
    EXPECT_EQ(first, (core::TDatecode{2001, 1, 1, 11, 59, 58}));

    // exiftool reads the recording date from raw DV made of the output's frames.
    const std::string raw = (Scratch() / "ny.dv").string();
    {
        std::ofstream out(raw, std::ios::binary);
        for (const auto &frame : after)
            out.write(reinterpret_cast<const char *>(frame.data()), static_cast<std::streamsize>(frame.size()));
    }
    EXPECT_EQ(tool("exiftool -s3 -DateTimeOriginal '" + raw + "'"), "2001:01:01 11:59:58\n");

    // Half a day back crosses the year end the other way.
    RunOn(dm.DecalerHoraire, "ntsc_4x3_48k-type1.avi", "back.avi", {"-0.5"});
    const Frames back = readDvFrames((Scratch() / "back_(-12h).avi").string());
    ASSERT_FALSE(back.empty());
    ASSERT_TRUE(core::ReadDatecode(back.front(), 10, first));
    EXPECT_EQ(first, (core::TDatecode{2000, 12, 31, 11, 59, 58}));
}

TEST_F(GraphCommands, AspectConversionsFlipTheFlagOnly)
{
    RunOn(dm.Convertir16x9, "tape_three-type2.avi", "narrow.avi");
    const std::string wide = (Scratch() / "narrow_16x9.avi").string();
    ASSERT_TRUE(Exists(wide));
    EXPECT_EQ(tool("ffprobe -v error -select_streams v:0 -show_entries stream=display_aspect_ratio -of csv=p=0 '" + wide
                   + "'"),
              "16:9\n");
    for (const auto &frame : readDvFrames(wide)) {
        bool is16x9 = false;
        ASSERT_TRUE(core::ReadIs16x9(frame, 12, is16x9));
        ASSERT_TRUE(is16x9);
    }
    EXPECT_EQ(firstAudioStreamBytes(wide), firstAudioStreamBytes((Scratch() / "narrow.avi").string()));

    RunOn(dm.Convertir4x3, "pal_16x9_32k-type1.avi", "wide.avi");
    const std::string narrow = (Scratch() / "wide_4x3.avi").string();
    ASSERT_TRUE(Exists(narrow));
    for (const auto &frame : readDvFrames(narrow)) {
        bool is16x9 = true;
        ASSERT_TRUE(core::ReadIs16x9(frame, 12, is16x9));
        ASSERT_FALSE(is16x9);
    }
}

TEST_F(GraphCommands, InlayWithoutTextDrawingFailsAndLeavesNoFile)
{
    // This test program has no GUI application, so the inlay cannot draw its text.
    RunOn(dm.Incruster, "tape_three-type2.avi", "pal.avi");
    EXPECT_TRUE(ErrorLogged());
    EXPECT_FALSE(Exists((Scratch() / "pal_in.avi").string()));
}

TEST_F(GraphCommands, ConvertInNtscWritesTheNtscFileBesideTheSource)
{
    RunOn(dm.ConvertirNTSC, "tape_three-type2.avi", "pal.avi");
    EXPECT_FALSE(ErrorLogged());
    EXPECT_TRUE(Exists((Scratch() / "pal_ntsc.avi").string()));
}

TEST_F(GraphCommands, AConversionThatCannotWriteIsReportedAsAnError)
{
    settings.saveInSameFolder = false;
    settings.dossierPourSauver = "/proc/camlog-no-such-folder";
    RunOn(dm.ConvertirDV2, "tape_three-type1.avi", "nowhere.avi");
    EXPECT_TRUE(ErrorLogged());
}

TEST_F(GraphCommands, ACorruptSourceIsReportedAndWritesNothing)
{
    const std::string path = Touch("corrupt.avi", std::string(4096, 'x'));
    AddToList(path);
    // The file object of a corrupt file is not DV: the condition skips it; force the build.
    ASSERT_TRUE(dm.ConvertirDV2.OnBuildGraph);
    core::TaviFichier fichier;
    fichier.SetPath(path);
    EXPECT_THROW(dm.ConvertirDV2.OnBuildGraph(&fichier, (Scratch() / "corrupt_type2.avi").string(), {}, 1),
                 std::runtime_error);
    EXPECT_FALSE(Exists((Scratch() / "corrupt_type2.avi").string()));
}

} // namespace
} // namespace camlog::commands::test
