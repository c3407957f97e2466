// End-to-end runs of `camlog --batch` on copies of the generated DV files: the list actions, the
// file commands, scripts, the answers without a terminal, the exit status and the help.
#include "batch/batch_runner.h"

#include "core/avi_patch.h"
#include "core/program_version.h"
#include "headless/actions/action_catalogue.h"
#include "scenes/scn_file.h"
#include "support/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

// tape_three: PAL type 2, 125 frames, first datecode 2024-05-01 10:00:00.
constexpr const char *kTape = "tape_three-type2.avi";
// PAL 16:9 type 1, 25 frames, datecode 2010-02-16 21:36:28.
constexpr const char *kWide = "pal_16x9_32k-type1.avi";
// NTSC type 2, 30 frames, datecode 2000-12-31 23:59:58.
constexpr const char *kNtsc = "ntsc_4x3_48k-type2.avi";

class BatchTest : public ::testing::Test {
protected:
    BatchTest() : root(scratchDir("batch")), runner(root), videos(root / "v") { fs::create_directories(videos); }

    fs::path Copy(const std::string &fixture, const std::string &name, const fs::path &folder = {})
    {
        const fs::path target = (folder.empty() ? videos : folder) / name;
        fs::create_directories(target.parent_path());
        fs::copy_file(fixturePath(fixture), target, fs::copy_options::overwrite_existing);
        return target;
    }

    // The file names in the folder, sorted.
    std::vector<std::string> NamesIn(const fs::path &folder) const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs the calls followed by a detailed list save; gives the listed file names in list order.
    std::vector<std::string> Listed(std::vector<std::string> args)
    {
        const fs::path list = root / "listed.txt";
        fs::remove(list);
        args.push_back("/dl=" + list.string());
        last = runner.batch(args);
        std::vector<std::string> names;
        for (const std::string &line : ReadUtf16Lines(list))
            names.push_back(fs::path(line.substr(0, line.find(','))).filename().string());
        return names;
    }

    std::vector<std::string> DetailedFields(const std::string &line) const
    {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = line.find(',', start);
            fields.push_back(line.substr(start, comma - start));
            if (comma == std::string::npos)
                return fields;
            start = comma + 1;
        }
    }

    fs::path root;
    BatchRunner runner;
    fs::path videos;
    BatchResult last;
};

// ---- Help ------------------------------------------------------------------------------------

TEST_F(BatchTest, HelpListsEveryActionWithItsTokenSwitchAndCaption)
{
    const BatchResult help = runner.run({"--help"});
    ASSERT_EQ(help.status, 0) << help.err;
    EXPECT_THAT(help.out, HasSubstr("camlog --batch [--yes|--no] ARG..."));
    for (const ui::ActionDef &def : ui::ActionCatalogue()) {
        if (!def.caption.empty()) {
            EXPECT_THAT(help.out, HasSubstr(ui::FormatWithProgramName(def.caption))) << def.name;
        }
        if (!def.token.empty()) {
            EXPECT_THAT(help.out, HasSubstr(std::string(def.token))) << def.name;
        }
    }
    EXPECT_THAT(help.out, HasSubstr("detailedlist         dl"));
    EXPECT_THAT(help.out, HasSubstr("riffheader           h       Ctrl+H"));
    // The texts describe the program as it is: a window, and raw DV among the videos.
    EXPECT_THAT(help.out, Not(HasSubstr("no window")));
    EXPECT_THAT(help.out, HasSubstr("a\nvideo when it ends in .avi, .dv or .dif"));

    EXPECT_EQ(runner.batch({"--yes", "--help"}).out, help.out);

    const BatchResult version = runner.run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.out, HasSubstr("camlog " CAMLOG_VERSION));
}

// Every text that names the program's version names the same one.
TEST_F(BatchTest, EveryTextShowsTheProgramsVersion)
{
    Copy(kTape, "clip.avi");
    EXPECT_EQ(core::kProgramVersion, "7.0.9");
    struct Case {
        std::vector<std::string> args;
        std::string file; // the text written; standard output when empty
        std::string shows;
    };
    const Case cases[] = {
        {{"--version"}, "", "camlog 7.0.9\n"},
        {{"--batch", "/o=v/clip.avi", "/s=list.txt"}, "list.txt", "# Playlist of Camlog 7.0.9En"},
        {{"--batch", "/o=v/clip.avi", "/h"}, "", " Camlog 7.0.9En "},
        {{"--batch", "--yes", "/o=v/clip.avi", "/ci=2", "/x"},
         "v/clip_scn.txt",
         "// exported by Camlog version 7.0.9 En"},
    };
    for (const Case &c : cases) {
        const BatchResult result = runner.run(c.args);
        ASSERT_EQ(result.status, 0) << result.err;
        std::string text = result.out;
        if (!c.file.empty()) {
            text.clear();
            for (const std::string &line : ReadUtf16Lines(root / c.file))
                text += line + "\n";
            if (text.empty()) {
                const auto bytes = readBytes(root / c.file);
                text.assign(bytes.begin(), bytes.end());
            }
        }
        EXPECT_THAT(text, HasSubstr(c.shows)) << c.args.back();
    }
}

// ---- Opening ----------------------------------------------------------------------------------

struct OpenCase {
    const char *name;
    std::vector<std::string> args; // "{v}" stands for the videos folder
};

class BatchOpenTest : public BatchTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(BatchOpenTest, OpensTheNamedVideos)
{
    Copy(kTape, "b.avi");
    Copy(kWide, "a.avi");
    Copy("pal_4x3_48k.dv", "c.dv"); // raw DV: a video like the others
    Copy(kWide, "ignored.mov");
    WriteText(root / "list.txt", "# a playlist\r\n     " + (videos / "a.avi").string() + "\r\n\r\n"
                                     + (videos / "b.avi").string() + "\r\n");
    std::vector<std::string> args;
    for (std::string arg : GetParam().args) {
        if (const auto at = arg.find("{v}"); at != std::string::npos)
            arg.replace(at, 3, videos.string());
        args.push_back(arg);
    }
    const bool wholeFolder = std::string_view(GetParam().name).find("folder") != std::string_view::npos;
    if (wholeFolder)
        EXPECT_THAT(Listed(args), ElementsAre("a.avi", "b.avi", "c.dv")) << last.err;
    else
        EXPECT_THAT(Listed(args), ElementsAre("a.avi", "b.avi")) << last.err;
    EXPECT_EQ(last.status, 0) << last.err;
}

INSTANTIATE_TEST_SUITE_P(
    Ways, BatchOpenTest,
    ::testing::Values(OpenCase{"switch", {"/o={v}/b.avi", "/o={v}/a.avi"}},
                      OpenCase{"token", {"/openfiles={v}/a.avi", "+openfiles=\"{v}/b.avi\""}},
                      OpenCase{"relative", {"/o=v/a.avi", "/o=v/b.avi"}}, OpenCase{"bare_playlist", {"list.txt"}},
                      OpenCase{"playlist_token", {"/playlist=list.txt"}},
                      OpenCase{"bare_video", {"v/a.avi", "v/b.avi"}}, OpenCase{"folder_switch", {"/l={v}"}},
                      OpenCase{"folder_token", {"/openfolder={v}"}}, OpenCase{"bare_folder", {"{v}"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchTest, PreferredFolderAndDefaultPlaylistAreThoseOfTheSettings)
{
    // Without stored settings: the user's video folder and, for playlists, documents folder.
    const fs::path home = root / "home";
    Copy(kWide, "holiday.avi", home / "Videos" / "2010");
    Copy(kTape, "party.avi", home / "Documents");
    WriteText(home / "Documents" / "PlayList.txt", (home / "Documents" / "party.avi").string() + "\n");
    EXPECT_THAT(Listed({"/f7"}), ElementsAre("holiday.avi")) << last.err;
    EXPECT_THAT(Listed({"/openpreferred", "/defaultplaylist", "/sortalpha"}), ElementsAre("holiday.avi", "party.avi"))
        << last.err;
    EXPECT_EQ(last.status, 0) << last.err;
    EXPECT_THAT(last.err, HasSubstr("Opening the default playlist"));
}

TEST_F(BatchTest, DefaultPlaylistIsOneFileWhateverItsLetterCase)
{
    // Stored in lower case (as by an earlier version): it is still the default playlist.
    const fs::path documents = root / "home" / "Documents";
    Copy(kTape, "party.avi", documents);
    WriteText(documents / "playlist.txt", (documents / "party.avi").string() + "\n");
    EXPECT_THAT(Listed({"/dp"}), ElementsAre("party.avi")) << last.err;
    EXPECT_EQ(last.status, 0) << last.err;
}

// An existing file named by a list save is replaced only with consent, as every destination.
struct ListSaveCase {
    const char *name;
    const char *call;
    std::vector<std::string> flags;
    bool replaced;
};

class BatchListSaveTest : public BatchTest, public ::testing::WithParamInterface<ListSaveCase> {};

TEST_P(BatchListSaveTest, AsksBeforeReplacingAnExistingFile)
{
    Copy(kTape, "clip.avi");
    const fs::path target = root / "taken.txt";
    WriteText(target, "someone else's file");
    std::vector<std::string> args = GetParam().flags;
    args.push_back("/o=v/clip.avi");
    args.push_back(std::string(GetParam().call) + target.string());
    const BatchResult result = runner.batch(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("Do you really want to delete the existing file " + target.string()));
    if (GetParam().replaced) {
        EXPECT_THAT(ReadUtf16Lines(target), Not(::testing::IsEmpty()));
    } else {
        EXPECT_EQ(readBytes(target).size(), 19u);
        EXPECT_THAT(result.err, HasSubstr("was not saved: " + target.string() + " is kept"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, BatchListSaveTest,
                         ::testing::Values(ListSaveCase{"list_no_terminal", "/s=", {}, false},
                                           ListSaveCase{"list_no", "/s=", {"--no"}, false},
                                           ListSaveCase{"list_yes", "/s=", {"--yes"}, true},
                                           ListSaveCase{"detailed_no_terminal", "/dl=", {}, false},
                                           ListSaveCase{"detailed_no", "/dl=", {"--no"}, false},
                                           ListSaveCase{"detailed_yes", "/dl=", {"--yes"}, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchTest, SavedPlaylistOpensTheSameVideosAgain)
{
    Copy(kTape, "b.avi");
    Copy(kWide, "a.avi");
    const auto saved = root / "saved.txt";
    auto result = runner.batch({"/l=v", "/sd", "/savelist=" + saved.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto lines = ReadUtf16Lines(saved);
    ASSERT_GE(lines.size(), 11u);
    EXPECT_EQ(lines[7], "     " + (videos / "a.avi").string());
    EXPECT_EQ(lines[8], "     " + (videos / "b.avi").string());
    EXPECT_EQ(lines[11], "# 2 file  sorted  by datecode");
    EXPECT_THAT(Listed({"saved.txt", "/sortbysize"}), ElementsAre("a.avi", "b.avi"));
}

struct MissingCase {
    const char *name;
    const char *call;
    const char *named; // what standard error must name
};

class BatchMissingTest : public BatchTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(BatchMissingTest, IsReportedAndFailsTheRunWhichGoesOn)
{
    Copy(kWide, "a.avi");
    EXPECT_THAT(Listed({GetParam().call, "/o=v/a.avi"}), ElementsAre("a.avi"));
    EXPECT_EQ(last.status, 1);
    EXPECT_THAT(last.err, HasSubstr(GetParam().named));
}

INSTANTIATE_TEST_SUITE_P(Paths, BatchMissingTest,
                         ::testing::Values(MissingCase{"file", "/o=v/missing.avi", "missing.avi"},
                                           MissingCase{"folder", "/l=nofolder", "nofolder"},
                                           MissingCase{"playlist", "nolist.txt", "nolist.txt"},
                                           MissingCase{"script", "/os=noscript.txt", "noscript.txt"},
                                           MissingCase{"no_parameter", "/o", "needs a file"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Sorting ----------------------------------------------------------------------------------

struct SortCase {
    const char *action;
    std::vector<std::string> order;
};

class BatchSortTest : public BatchTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(BatchSortTest, OrdersTheList)
{
    // Names, sizes, datecodes and durations disagree on the order.
    Copy(kTape, "c_tape.avi"); // 2024, 125 frames, the largest
    Copy(kWide, "a_wide.avi"); // 2010, 25 frames
    Copy(kNtsc, "b_ntsc.avi"); // 2000, 29 frames at 29.97
    EXPECT_THAT(Listed({"/l=v", std::string("/") + GetParam().action}), ElementsAreArray(GetParam().order)) << last.err;
    EXPECT_EQ(last.status, 0) << last.err;
}

INSTANTIATE_TEST_SUITE_P(Orders, BatchSortTest,
                         ::testing::Values(SortCase{"sortalpha", {"a_wide.avi", "b_ntsc.avi", "c_tape.avi"}},
                                           SortCase{"sortbydate", {"b_ntsc.avi", "a_wide.avi", "c_tape.avi"}},
                                           SortCase{"sd", {"b_ntsc.avi", "a_wide.avi", "c_tape.avi"}},
                                           SortCase{"sortbysize", {"a_wide.avi", "b_ntsc.avi", "c_tape.avi"}},
                                           SortCase{"sortduration", {"b_ntsc.avi", "a_wide.avi", "c_tape.avi"}}),
                         [](const auto &info) { return std::string(info.param.action); });

// ---- Renames ----------------------------------------------------------------------------------

struct RenameCase {
    const char *name;
    const char *source;
    const char *action;
    const char *renamed; // without extension
};

class BatchRenameTest : public BatchTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(BatchRenameTest, RenamesTheVideoAndItsCompanions)
{
    const RenameCase &c = GetParam();
    Copy(kTape, std::string(c.source) + ".avi");
    WriteText(videos / (std::string(c.source) + ".scn"), "scenes");
    WriteText(videos / (std::string(c.source) + ".srt"), "subtitles");
    const std::string renamed = c.renamed;
    EXPECT_THAT(Listed({"--yes", "/o=v/" + std::string(c.source) + ".avi", c.action}), ElementsAre(renamed + ".avi"));
    EXPECT_EQ(last.status, 0) << last.err;
    EXPECT_THAT(NamesIn(videos), ElementsAre(renamed + ".avi", renamed + ".scn", renamed + ".srt"));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BatchRenameTest,
    ::testing::Values(RenameCase{"add_datecode", "clip", "/d", "clip_2024.05.01_10.00.00_am"},
                      RenameCase{"add_datecode_token", "clip", "/adddatecode", "clip_2024.05.01_10.00.00_am"},
                      RenameCase{"add_timecode", "clip", "/t", "clip_00.00.00.00"},
                      RenameCase{"rename", "clip", "/r", "video'20240501_10.00.00_am"},
                      RenameCase{"shorten", "clip_type2_(+1h)", "/sh", "clip"},
                      RenameCase{"shorten_datecode", "clip_2008.05.12_02.30.15_pm", "/shorten", "clip"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchTest, RenameNeverOverwritesAnExistingName)
{
    Copy(kTape, "clip.avi");
    WriteText(videos / "clip_2024.05.01_10.00.00_am.avi", "someone else's file");
    EXPECT_THAT(Listed({"--yes", "/o=v/clip.avi", "/d"}), ElementsAre("clip_2024.05.01_10.00.00_am_1.avi"));
    EXPECT_EQ(readBytes(videos / "clip_2024.05.01_10.00.00_am.avi").size(), 19u);
}

// ---- Answers without a terminal ---------------------------------------------------------------

struct AnswerCase {
    const char *name;
    std::vector<std::string> flags;
    bool renamed;
};

class BatchAnswerTest : public BatchTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(BatchAnswerTest, QuestionsAreAnsweredByTheRule)
{
    Copy(kTape, "one.avi");
    Copy(kWide, "two.avi");
    std::vector<std::string> args = GetParam().flags;
    for (const char *call : {"/l=v", "/a", "/d"})
        args.push_back(call);
    const auto listed = Listed(args);
    EXPECT_EQ(last.status, 0) << last.err;
    // Every question is shown on standard error with the answer given.
    EXPECT_THAT(last.err, HasSubstr("Do you want to rename one.avi"));
    if (GetParam().renamed) {
        EXPECT_THAT(listed, ElementsAre("one_2024.05.01_10.00.00_am.avi", "two_2010.02.16_09.36.28_pm.avi"));
    } else {
        EXPECT_THAT(listed, ElementsAre("one.avi", "two.avi"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, BatchAnswerTest,
                         ::testing::Values(AnswerCase{"no_terminal", {}, false}, AnswerCase{"no", {"--no"}, false},
                                           AnswerCase{"yes", {"--yes"}, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchTest, BadUsageGivesStatusTwo)
{
    EXPECT_EQ(runner.batch({"--yes", "--no", "/sa"}).status, 2);
    EXPECT_EQ(runner.batch({}).status, 2);
    EXPECT_EQ(runner.batch({"--yes"}).status, 2);
    EXPECT_EQ(runner.run({"--unknown-option"}).status, 2);
}

// ---- File commands ----------------------------------------------------------------------------

TEST_F(BatchTest, ModifyTheDateOfFileSetsTheModificationTimeToTheDatecode)
{
    const auto clip = Copy(kTape, "clip.avi");
    const auto result = runner.batch({"--yes", "/o=v/clip.avi", "/b"});
    ASSERT_EQ(result.status, 0) << result.err;
    struct stat st {};
    ASSERT_EQ(::stat(clip.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1714557600); // 2024-05-01 10:00:00 in the run's time zone, UTC
}

TEST_F(BatchTest, ATimeDifferenceMovesTheNameAndTheFileDate)
{
    Copy(kTape, "clip.avi");
    EXPECT_THAT(Listed({"--yes", "/o=v/clip.avi", "/td=1", "/d", "/b"}),
                ElementsAre("clip_2024.05.02_10.00.00_am.avi"));
    ASSERT_EQ(last.status, 0) << last.err;
    struct stat st {};
    ASSERT_EQ(::stat((videos / "clip_2024.05.02_10.00.00_am.avi").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1714557600 + 86400);
}

TEST_F(BatchTest, ChangeTheCodecWritesTheHandlerCode)
{
    const auto clip = Copy(kTape, "clip.avi");
    auto result = runner.batch({"--yes", "/o=v/clip.avi", "/k=CDVC"});
    ASSERT_EQ(result.status, 0) << result.err;
    ASSERT_TRUE(core::ReadHandlerCode(clip.string()).has_value());
    EXPECT_EQ(core::ReadHandlerCode(clip.string())->toString(), "CDVC");

    result = runner.batch({"--yes", "/o=v/clip.avi", "/codec=dvsd"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(core::ReadHandlerCode(clip.string())->toString(), "dvsd");
    EXPECT_EQ(fs::file_size(clip), fs::file_size(fixturePath(kTape)));
}

TEST_F(BatchTest, FixTheVideoFramerateWritesTheRate)
{
    Copy(kTape, "clip.avi");
    Listed({"--yes", "/o=v/clip.avi", "/y=29.97"});
    ASSERT_EQ(last.status, 0) << last.err;
    const auto lines = ReadUtf16Lines(root / "listed.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(DetailedFields(lines[0]).at(8), "29.97");
    // The video stream header says so too: 1000000 / 33367 frames per second.
    const auto report = runner.batch({"/o=v/clip.avi", "/h"});
    EXPECT_THAT(report.out, HasSubstr("Scale = 33367\n"));
    EXPECT_THAT(report.out, HasSubstr("Rate = 1000000\n"));
}

TEST_F(BatchTest, FixedDurationsThenTextExportThenDeleteTheScnFile)
{
    Copy(kTape, "clip.avi");
    // 125 frames at 25 fps in scenes of 2 seconds: [0,50), [50,100), [100,125).
    auto result = runner.batch({"--yes", "/o=v/clip.avi", "/ci=2", "/x"});
    ASSERT_EQ(result.status, 0) << result.err;
    scenes::SceneList scenes;
    ASSERT_TRUE(scenes::ReadScnFile(videos / "clip.scn", scenes, scenes::SceneContext{}).ok());
    ASSERT_EQ(scenes.size(), 3u);
    EXPECT_EQ(scenes[0].scene->end, 50);
    EXPECT_EQ(scenes[1].scene->end, 100);
    EXPECT_EQ(scenes[2].scene->end, 125);
    ASSERT_TRUE(fs::exists(videos / "clip_scn.txt"));
    EXPECT_GT(fs::file_size(videos / "clip_scn.txt"), 0u);

    result = runner.batch({"--yes", "/o=v/clip.avi", "/createscnbyinterval=30", "/z"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(fs::exists(videos / "clip.scn"));
    EXPECT_TRUE(fs::exists(runner.trashFiles() / "clip.scn"));
    EXPECT_TRUE(fs::exists(videos / "clip.avi"));
}

// A parameter the command cannot use: the run says why, asks nothing, changes nothing and fails.
struct BadParameterCase {
    const char *name;
    const char *call;
    const char *why;
};

class BatchBadParameterTest : public BatchTest, public ::testing::WithParamInterface<BadParameterCase> {};

TEST_P(BatchBadParameterTest, IsRefusedBeforeAnyFile)
{
    const fs::path clip = Copy(kTape, "clip.avi");
    const BatchResult result = runner.batch({"--yes", "/o=v/clip.avi", GetParam().call});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_THAT(result.err, HasSubstr(GetParam().why));
    EXPECT_THAT(result.err, Not(HasSubstr("Do you")));
    EXPECT_THAT(NamesIn(videos), ElementsAre("clip.avi"));
    EXPECT_EQ(readBytes(clip), readBytes(fixturePath(kTape)));
}

INSTANTIATE_TEST_SUITE_P(
    Calls, BatchBadParameterTest,
    ::testing::Values(
        BadParameterCase{"shift_text", "/e=abc", "The time difference \"abc\" is not a number of days"},
        BadParameterCase{"shift_none", "/e", "No time difference given"},
        BadParameterCase{"shift_blank", "/e= ", "No time difference given"},
        BadParameterCase{"shift_huge", "/e=1e15", "larger than a datecode can take"},
        BadParameterCase{"shift_century", "/e=-36525", "larger than a datecode can take"},
        BadParameterCase{"shift_infinite", "/e=inf", "is not a number of days"},
        BadParameterCase{"add_shift_text", "/td=abc", "The time difference \"abc\" is not a number of days"},
        BadParameterCase{"add_shift_none", "/td", "No time difference given"},
        BadParameterCase{"codec_none", "/k", "No codec given"},
        BadParameterCase{"rate_none", "/y", "No framerate given"},
        BadParameterCase{"rate_text", "/y=abc", "The framerate \"abc\" is not a number of frames per second"},
        BadParameterCase{"rate_zero", "/y=0", "The framerate \"0\" is not"},
        BadParameterCase{"rate_tiny", "/y=1e-9", "The framerate \"1e-9\" is not"},
        BadParameterCase{"interval_text", "/ci=abc", "The duration of scenes \"abc\" is not a whole number"},
        BadParameterCase{"interval_zero", "/ci=0", "The duration of scenes \"0\" is not"},
        BadParameterCase{"interval_huge", "/ci=99999999999", "is not a whole number of seconds"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchTest, FixedDurationsWithoutParameterTakeTheSetting)
{
    Copy(kTape, "clip.avi");
    fs::create_directories(runner.settingsFile().parent_path());
    WriteText(runner.settingsFile(), "[\\Software\\Ovrand\\Camlog]\r\nExename="
                                         + fs::canonical(CamlogProgram()).string() + "\r\nintervalle=2\r\n");
    const BatchResult result = runner.batch({"--yes", "/o=v/clip.avi", "/ci"});
    ASSERT_EQ(result.status, 0) << result.err;
    scenes::SceneList scenes;
    ASSERT_TRUE(scenes::ReadScnFile(videos / "clip.scn", scenes, scenes::SceneContext{}).ok());
    ASSERT_EQ(scenes.size(), 3u);
    EXPECT_EQ(scenes[0].scene->end, 50);
}

// A scn file that cannot be read whole fails its file with the reader's reason: nothing is
// exported or cut from the part read.
TEST_F(BatchTest, ATruncatedScnFileFailsTheCommandsThatReadIt)
{
    Copy(kTape, "clip.avi");
    ASSERT_EQ(runner.batch({"--yes", "/o=v/clip.avi", "/ci=2"}).status, 0);
    const auto whole = readBytes(videos / "clip.scn");
    ASSERT_GT(whole.size(), 250u);
    std::ofstream(videos / "clip.scn", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(whole.data()), 250);
    for (const char *call : {"/x", "/c"}) {
        const BatchResult result = runner.batch({"--yes", "/o=v/clip.avi", call});
        EXPECT_EQ(result.status, 1) << call << result.err;
        EXPECT_THAT(result.err, HasSubstr("the file ends inside a scene")) << call;
    }
    EXPECT_THAT(NamesIn(videos), ElementsAre("clip.avi", "clip.scn"));
}

TEST_F(BatchTest, DeleteTheFilesSendsThemToTheTrashOnlyWithConsent)
{
    Copy(kTape, "keep.avi");
    Copy(kWide, "gone.avi");
    EXPECT_THAT(Listed({"/l=v", "/a", "/del"}), ElementsAre("gone.avi", "keep.avi"));
    EXPECT_EQ(last.status, 0) << last.err;
    EXPECT_THAT(last.err, HasSubstr("Do you really want to delete the file gone.avi ?"));

    EXPECT_THAT(Listed({"--yes", "/o=v/gone.avi", "/delete", "/o=v/keep.avi"}), ElementsAre("keep.avi"));
    EXPECT_EQ(last.status, 0) << last.err;
    EXPECT_THAT(NamesIn(videos), ElementsAre("keep.avi"));
    EXPECT_TRUE(fs::exists(runner.trashFiles() / "gone.avi"));
}

TEST_F(BatchTest, DeleteTheFilesCreatesAMissingTrash)
{
    // A fresh account: no ~/.local/share yet. Run from the videos' folder, where a misplaced
    // Trash would show as ./files and ./info.
    fs::remove_all(root / "home" / ".local");
    Copy(kTape, "gone.avi");
    const BatchResult result = runner.batch({"--yes", "/o=gone.avi", "/delete"}, videos);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(runner.trashFiles() / "gone.avi"));
    EXPECT_THAT(NamesIn(videos), ElementsAre());
}

TEST_F(BatchTest, DeleteTheScnFileIsSkippedWithoutOne)
{
    Copy(kTape, "clip.avi");
    const auto result = runner.batch({"--yes", "/o=v/clip.avi", "/deletescn"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("\"Delete the scn file\" skipped"));
    EXPECT_THAT(NamesIn(videos), ElementsAre("clip.avi"));
}

TEST_F(BatchTest, AFailedFileGivesExitStatusOne)
{
    Copy(kTape, "clip.avi");
    // The export's destination is taken by a folder: the file fails, the run goes on.
    fs::create_directories(videos / "clip_scn.txt");
    const auto result = runner.batch({"--yes", "/o=v/clip.avi", "/ci=2", "/x", "/sa"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_THAT(result.err, HasSubstr("The current file has been aborted."));
    EXPECT_THAT(result.err, HasSubstr("sorted alphabetically"));
}

// ---- Reports ----------------------------------------------------------------------------------

TEST_F(BatchTest, ReadTheRiffHeaderPrintsTheReportOnStandardOutput)
{
    Copy(kTape, "clip.avi");
    const auto result = runner.batch({"/o=v/clip.avi", "/riffheader"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("Header of the file clip.avi"));
    EXPECT_THAT(result.out, HasSubstr("RIFF  "));
    EXPECT_THAT(result.out, HasSubstr("FourccType = vids"));
    EXPECT_THAT(result.out, HasSubstr(" End of Header "));
    EXPECT_THAT(result.err, Not(HasSubstr("RIFF")));
}

TEST_F(BatchTest, SaveTheDetailedListWritesOneLinePerVideo)
{
    Copy(kTape, "clip.avi");
    const auto listed = root / "detailed.txt";
    const auto result = runner.batch({"/o=v/clip.avi", "/detailedlist=" + listed.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto bytes = readBytes(listed);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    const auto lines = ReadUtf16Lines(listed);
    ASSERT_EQ(lines.size(), 1u);
    const auto fields = DetailedFields(lines[0]);
    ASSERT_GE(fields.size(), 9u);
    EXPECT_EQ(fields[0], (videos / "clip.avi").string());
    EXPECT_EQ(fields[2], "no scn");
    EXPECT_EQ(fields[3], "no srt");
    EXPECT_EQ(fields[5], "dvsd (type 2)");
    EXPECT_EQ(fields[8], "25");
}

// ---- Run control ------------------------------------------------------------------------------

TEST_F(BatchTest, QuitEndsTheRunAtItsPlace)
{
    Copy(kTape, "clip.avi");
    const auto result = runner.batch({"/o=v/clip.avi", "/qt", "/dl=after.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(fs::exists(root / "after.txt"));
}

TEST_F(BatchTest, UnknownWordIsNamedAndGivesExitStatusOne)
{
    Copy(kTape, "clip.avi");
    EXPECT_THAT(Listed({"/o=v/clip.avi", "/nosuchaction"}), ElementsAre("clip.avi"));
    EXPECT_EQ(last.status, 1);
    EXPECT_THAT(last.err, HasSubstr("\"/nosuchaction\" names no action"));
}

// The actions that hand a target to the desktop open it from the batch mode too, through
// xdg-open; with no handler they say so and the run ends with status 1.
TEST_F(BatchTest, DesktopActionsOpenTheirTargetOrSayNothingCouldOpenIt)
{
    const fs::path clip = Copy(kTape, "clip.avi");
    const fs::path bin = root / "bin";
    const fs::path calls = root / "calls";
    fs::create_directories(bin);
    fs::create_directories(calls);
    WriteText(bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + (calls / "opened").string() + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    const char *savedBus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string bus = savedBus ? savedBus : "";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (root / "no-bus").string()).c_str(), 1);
    const struct {
        const char *word;
        std::string target;
        const char *refusal;
    } cases[] = {
        {"/homepage", "https://www.camlog.org/", "No web browser could open https://www.camlog.org/"},
        {"/sendmail", "mailto:", "No mail program could write to "},
        {"/blog", "https://www.camlog.org/blog/", "No web browser could open https://www.camlog.org/blog/"},
        {"/parent", videos.string(), "No file manager could show "},
        {"/defaultplayer", clip.string(), "No media player could open "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.word);
        fs::remove(calls / "opened");
        ::setenv("PATH", (bin.string() + ":" + savedPath).c_str(), 1);
        const auto opened = runner.batch({"/o=" + clip.string(), c.word});
        EXPECT_EQ(opened.status, 0) << opened.err;
        std::ifstream in(calls / "opened");
        std::string line;
        std::getline(in, line);
        EXPECT_THAT(line, ::testing::StartsWith(c.target));

        ::setenv("PATH", (root / "nothing").string().c_str(), 1);
        const auto refused = runner.batch({"/o=" + clip.string(), c.word});
        EXPECT_EQ(refused.status, 1);
        EXPECT_THAT(refused.err, HasSubstr(c.refusal));
    }
    ::setenv("PATH", savedPath.c_str(), 1);
    if (savedBus)
        ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    else
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

// A window asked for on a display that cannot be reached is refused with a word and status 2,
// not ended by the toolkit on SIGABRT.
TEST_F(BatchTest, AnUnreachableDisplayIsToldNotAborted)
{
    const std::string saved[] = {std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "",
                                 std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "",
                                 std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : ""};
    int free = 250;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(free)))
        ++free;
    ::setenv("DISPLAY", (":" + std::to_string(free)).c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    const BatchResult result = runner.run({});
    const char *names[] = {"DISPLAY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY"};
    for (int i = 0; i < 3; ++i) {
        if (saved[i].empty())
            ::unsetenv(names[i]);
        else
            ::setenv(names[i], saved[i].c_str(), 1);
    }
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.status, 2);
    EXPECT_THAT(result.err, HasSubstr("cannot connect to the display :" + std::to_string(free)));
}

TEST_F(BatchTest, WindowActionsSayTheyAreNotAvailable)
{
    Copy(kTape, "clip.avi");
    const auto result = runner.batch({"/o=v/clip.avi", "/fs", "-showlist", "/play"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("\"Fullscreen\" is not available in batch mode"));
    EXPECT_THAT(result.err, HasSubstr("\"Hide the list\" is not available in batch mode"));
    EXPECT_THAT(result.err, HasSubstr("\"Play\" is not available in batch mode"));
}

// ---- Scripts ----------------------------------------------------------------------------------

TEST_F(BatchTest, ScriptRunsItsLinesInOrderUntilQuit)
{
    Copy(kTape, "clip.avi");
    Copy(kWide, "wide.avi");
    WriteText(root / "script.txt", "openfolder=" + videos.string()
                                       + "\r\nselectall\r\ncreatescnbydate\r\n"
                                         "showlist=false\r\nquit\r\ndetailedlist="
                                       + (root / "after.txt").string() + "\r\n");
    const auto result = runner.batch({"--yes", "/os=script.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(videos / "clip.scn"));
    EXPECT_TRUE(fs::exists(videos / "wide.scn"));
    EXPECT_FALSE(fs::exists(root / "after.txt"));
}

TEST_F(BatchTest, NestedScriptRunsCompletelyAndASelfLaunchIsRefused)
{
    Copy(kTape, "clip.avi");
    Copy(kWide, "wide.avi");
    WriteText(root / "inner.txt", "# the second video\nopenfiles=v/wide.avi\nopenfile=v/typo.avi\n");
    WriteText(root / "outer.txt", "openfiles=v/clip.avi\nopenscript=inner.txt\nopenscript=outer.txt\nsortbydate\n");
    EXPECT_THAT(Listed({"/openscript=outer.txt"}), ElementsAre("wide.avi", "clip.avi"));
    EXPECT_EQ(last.status, 1);
    EXPECT_THAT(last.err, HasSubstr("would launch itself again"));
    EXPECT_THAT(last.err, HasSubstr("sorted by datecode"));
    EXPECT_THAT(last.err, HasSubstr("inner.txt, line 3: \"openfile=v/typo.avi\" names no action"));
}

TEST_F(BatchTest, SettingsComeFromTheUsersFile)
{
    Copy(kTape, "clip.avi");
    fs::create_directories(runner.settingsFile().parent_path());
    // The per-user file counts only when it names this program file.
    WriteText(runner.settingsFile(), "[\\Software\\Ovrand\\Camlog]\r\nExename="
                                         + fs::canonical(CamlogProgram()).string() + "\r\nDatecode avant=1\r\n");
    EXPECT_THAT(Listed({"--yes", "/o=v/clip.avi", "/d"}), ElementsAre("2024.05.01_10.00.00_am_clip.avi"));
}

} // namespace
} // namespace camlog::test
