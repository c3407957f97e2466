// The rename commands: names from the datecode and timecode, the shortening of suffixes, free
// names, and renames on disk that take the scn and srt files along and never overwrite.
#include "commands/rename_handlers.h"
#include "commands_fixture.h"

namespace camlog::commands::test {
namespace {

using namespace camlog::engine;

// A file object as a probe of clip.avi recorded on 12 May 2008 at 14:30:15 would give.
core::TaviFichier clipFichier(const std::string &path)
{
    core::TaviFichier fichier;
    fichier.SetPath(path);
    fichier.Datecode = *core::DateTime::fromFields({2008, 5, 12, 14, 30, 15, 0});
    fichier.DatecodeText = "12/05/2008 14:30:15";
    fichier.DatecodeFound = true;
    fichier.TimecodeText = "00:01:02:03";
    fichier.TimecodeFound = true;
    fichier.Codec = "dvsd";
    fichier.SizeText = "720x576";
    fichier.AspectText = " (4:3)";
    fichier.AudioText = "48000Hz 16bits";
    fichier.DurationText = "0h 00mn 05s";
    return fichier;
}

using RenameNames = CommandsFixture;

TEST_F(RenameNames, DatecodeAndTimecodeNamesFollowTheSettings)
{
    const std::string folder = (Scratch() / "").string();
    core::TaviFichier clip = clipFichier(folder + "clip.avi");
    EXPECT_EQ(AjouterDatecodeDestination(clip, settings), folder + "clip_2008.05.12_02.30.15_pm.avi");
    EXPECT_EQ(RenommerDestination(clip, settings), folder + "video'20080512_02.30.15_pm.avi");
    EXPECT_EQ(AjouterTimecodeDestination(clip, settings), folder + "clip_00.01.02.03.avi");
    settings.datecodeAvant = true;
    settings.timcodeAvant = true;
    EXPECT_EQ(AjouterDatecodeDestination(clip, settings), folder + "2008.05.12_02.30.15_pm_clip.avi");
    EXPECT_EQ(AjouterTimecodeDestination(clip, settings), folder + "00.01.02.03_clip.avi");

    // A time difference of one day moves the name one day later.
    clip.Shift = core::DateTime::fromDays(1.0);
    EXPECT_EQ(AjouterDatecodeDestination(clip, settings), folder + "2008.05.13_02.30.15_pm_clip.avi");
}

TEST_F(RenameNames, TemplatesFillEveryPlaceholderAndNeverLeaveTheFolder)
{
    const core::TaviFichier clip = clipFichier("/v/clip.avi");
    EXPECT_EQ(ExpandNameTemplate("%f|%e|%T|%C|%I|%A|%U", "yyyy", clip),
              "/v/clip_.avi_00.01.02.03_dvsd_720x576 (4.3)_48000Hz 16bits_0h 00mn 05s");
    EXPECT_EQ(ExpandNameTemplate("../x/<a>\"b\"\\c?*%D", "yyyy", clip), "/v/.._x__a__b__c?*2008");
    // A template that names no file gives no destination, so nothing is renamed.
    settings.templateRenommer = "..";
    EXPECT_EQ(RenommerDestination(clipFichier((Scratch() / "clip.avi").string()), settings), "");
}

TEST_F(RenameNames, TakenNamesGetTheFirstFreeNumber)
{
    const std::string clip = Touch("clip.avi");
    const std::string folder = (Scratch() / "").string();
    // The file being renamed counts as taken: its own name gives _1.
    EXPECT_EQ(FreeName(clip, clip), folder + "clip_1.avi");
    Touch("clip_1.avi");
    EXPECT_EQ(FreeName(clip, ""), folder + "clip_2.avi");
    EXPECT_EQ(FreeName(folder + "free.avi", clip), folder + "free.avi");
    Touch("noext");
    EXPECT_EQ(FreeName(folder + "noext", ""), folder + "noext_1");
}

TEST_F(RenameNames, ShorteningRemovesTheProgramsOwnSuffixes)
{
    struct Case {
        const char *name;
        bool enabled;
        const char *shortened;
    };
    const Case cases[] = {
        {"clip_type2_(+1h).avi", true, "clip.avi"},
        {"clip_2008.05.12_02.30.15_pm.avi", true, "clip.avi"},
        {"clip_1.avi", true, "clip.avi"},
        {"holiday_beach.avi", false, ""},
        {"clip_NTSC _16x9_4x3_pal_in_dvtype2_type1_am.avi", true, "clip.avi"},
        {"clip_fixed.avi", false, ""},
        {"clip_scene_12.avi", true, "clip_scene.avi"},
        {"clip.avi", false, ""},
        {"_1.avi", true, ""}, // nothing would be left of the name
        {"clip_1.dv", true, "clip.dv"},
    };
    const std::string folder = (Scratch() / "").string();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder + c.name;
        EXPECT_EQ(CanShortenName(path), c.enabled);
        if (c.enabled) {
            EXPECT_EQ(PurgerNomDestination(path), *c.shortened ? folder + c.shortened : std::string());
        }
    }
    // The short name taken: the first free number.
    Touch("clip.avi");
    EXPECT_EQ(PurgerNomDestination(folder + "clip_type2_(+1h).avi"), folder + "clip_1.avi");
}

TEST_F(RenameNames, ShorteningNeverMovesAFileOutOfItsFolder)
{
    // The "_" of a folder name is not a suffix of the file's name.
    EXPECT_FALSE(CanShortenName("/v/tape_1/x.avi"));
    EXPECT_EQ(PurgerNomDestination("/v/tape_1/x.avi"), "");
    EXPECT_EQ(PurgerNomDestination("/v/tape_1/x_2.avi"), "/v/tape_1/x.avi");
}

// Whether a file has a datecode or a timecode is what was read, whatever its display text says:
// a display pattern may well show "-" or "N/A".
TEST_F(RenameNames, DatecodeAndTimecodeAreWhatWasReadNotWhatTheTextsShow)
{
    struct Case {
        const char *text;
        bool found;
    };
    for (const Case &c : {Case{"-", true}, Case{"N/A", true}, Case{"Error", true}, Case{"12/05/2008", false},
                          Case{"00:01:02:03", false}}) {
        core::TaviFichier clip = clipFichier("/v/clip.avi");
        clip.DatecodeText = c.text;
        clip.TimecodeText = c.text;
        clip.DatecodeFound = c.found;
        clip.TimecodeFound = c.found;
        EXPECT_EQ(HasDatecode(clip), c.found) << c.text;
        EXPECT_EQ(HasTimecode(clip), c.found) << c.text;
    }
}

using RenameRun = CommandsFixture;

TEST_F(RenameRun, CompanionsFollowTheVideo)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    Touch("clip.scn", "scenes");
    Touch("clip.srt", "subtitles");
    engine::AviFilePtr fichier = AddToList(video);
    ASSERT_TRUE(HasDatecode(*fichier));
    const std::string destination = AjouterDatecodeDestination(*fichier, settings);
    const std::string stem = destination.substr(0, destination.size() - 4);

    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.AjouterDatecode));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].text, "Do you want to rename clip.avi to " + destination + " ?");
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
    EXPECT_TRUE(Exists(destination));
    EXPECT_EQ(Content(stem + ".scn"), "scenes");
    EXPECT_EQ(Content(stem + ".srt"), "subtitles");
    EXPECT_FALSE(Exists(video));
    EXPECT_FALSE(Exists((Scratch() / "clip.scn").string()));
    EXPECT_FALSE(Exists((Scratch() / "clip.srt").string()));
    EXPECT_EQ(list.entries[0].fichier->FullPath, destination);
}

TEST_F(RenameRun, TwoFilesWithTheSameDatecodeGetNumberedNames)
{
    const std::string a = CopyFixture("tape_three-type2.avi", "a.avi");
    const std::string b = CopyFixture("tape_three-type2.avi", "b.avi");
    const std::string c = CopyFixture("tape_three-type2.avi", "c.avi");
    AddToList(a);
    AddToList(b);
    AddToList(c);
    settings.templateRenommer = "same%E";
    host.answers = {TAnswer::YesToAll};
    ASSERT_TRUE(Run(dm.Renommer));
    const std::string folder = (Scratch() / "").string();
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"same.avi", "same_1.avi", "same_2.avi"}));
    for (const char *name : {"same.avi", "same_1.avi", "same_2.avi"})
        EXPECT_TRUE(Exists(folder + name)) << name;
}

TEST_F(RenameRun, AFailedRenameKeepsTheEntryAndIsReported)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    AddToList(video);
    // A name longer than the file system allows: the rename on disk fails.
    settings.templateRenommer = std::string(300, 'x') + "%E";
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.Renommer));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_TRUE(Exists(video));
    EXPECT_EQ(list.entries[0].fichier->FullPath, video);
    EXPECT_NE(std::find_if(host.log.begin(), host.log.end(),
                           [](const std::string &line) { return line.rfind("error etError Cannot rename", 0) == 0; }),
              host.log.end());
}

TEST_F(RenameRun, ACompanionNameTakenStopsTheRenameBeforeAnythingMoves)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    Touch("clip.scn", "mine");
    Touch("other.scn", "someone else's");
    AddToList(video);
    settings.templateRenommer = "other%E";
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.Renommer));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_TRUE(Exists(video));
    EXPECT_FALSE(Exists((Scratch() / "other.avi").string()));
    EXPECT_EQ(Content((Scratch() / "clip.scn").string()), "mine");
    EXPECT_EQ(Content((Scratch() / "other.scn").string()), "someone else's");
    EXPECT_EQ(list.entries[0].fichier->FullPath, video);
}

TEST_F(RenameRun, RenameNoReplaceRefusesAnExistingName)
{
    const std::string from = Touch("from.avi", "from");
    const std::string to = Touch("to.avi", "to");
    EXPECT_EQ(RenameNoReplace(from, to), std::errc::file_exists);
    EXPECT_EQ(Content(to), "to");
    EXPECT_EQ(Content(from), "from");
}

TEST_F(RenameRun, NoAnswerRenamesNothing)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    AddToList(video);
    host.answers = {TAnswer::No};
    ASSERT_TRUE(Run(dm.AjouterTimecode));
    EXPECT_TRUE(Exists(video));
    EXPECT_EQ(list.entries[0].fichier->FullPath, video);
}

} // namespace
} // namespace camlog::commands::test
