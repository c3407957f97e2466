// "Modify the date of file" and the deletions to the Trash, run through the engine.
#include "commands/file_commands.h"
#include "commands/file_date.h"
#include "commands_fixture.h"

#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>

namespace camlog::commands::test {
namespace {

using namespace camlog::engine;

struct timespec modificationTime(const std::string &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mtim;
}
struct timespec accessTime(const std::string &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_atim;
}

// The local date-time of a file time, as the program holds dates.
core::DateTime localDateTime(const struct timespec &time)
{
    std::tm local{};
    ::localtime_r(&time.tv_sec, &local);
    return *core::DateTime::fromFields({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                        local.tm_min, local.tm_sec, static_cast<int>(time.tv_nsec / 1'000'000)});
}

using FileDate = CommandsFixture;

TEST_F(FileDate, TheModificationTimeBecomesTheRecordingMomentWithItsTimeDifference)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    engine::AviFilePtr fichier = AddToList(video);
    ASSERT_GT(fichier->Datecode.days(), 0.0);
    fichier->Shift = core::DateTime::fromDays(1.0 / 24); // one hour later
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.DateFichier));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].text.rfind("Do you really want to modify the dates of the file 'clip.avi'\n\n"
                                           "Old creation date: ",
                                           0),
              0u);
    EXPECT_NE(host.questions[0].text.find("\nNew date : "), std::string::npos);
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
    EXPECT_EQ(closedPreviews, std::vector<std::string>{video});

    const core::DateTime expected = fichier->Datecode + core::DateTime::fromDays(1.0 / 24);
    EXPECT_NEAR(localDateTime(modificationTime(video)).days(), expected.days(), 0.5 / 86400.0);
    // The reloaded object shows the new date and keeps the time difference.
    EXPECT_NEAR(list.entries[0].fichier->Modified.days(), expected.days(), 0.5 / 86400.0);
    EXPECT_DOUBLE_EQ(list.entries[0].fichier->Shift.days(), 1.0 / 24);
}

TEST_F(FileDate, TheAccessTimeStays)
{
    const std::string file = Touch("clip.avi");
    struct timespec old[2] = {{1'000'000'000, 123'000'000}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    const core::DateTime moment = *core::DateTime::fromFields({2008, 5, 12, 14, 30, 15, 250});
    ASSERT_FALSE(SetModificationTime(file, moment));
    EXPECT_EQ(accessTime(file).tv_sec, 1'000'000'000);
    EXPECT_EQ(accessTime(file).tv_nsec, 123'000'000);
    EXPECT_EQ(localDateTime(modificationTime(file)), moment);
    // A moment outside the calendar is refused, and the file keeps its date.
    EXPECT_TRUE(SetModificationTime(file, core::DateTime::fromDays(-1e9)));
    EXPECT_EQ(localDateTime(modificationTime(file)), moment);
}

TEST_F(FileDate, AFileThatCannotTakeTheDateIsReportedAsFailed)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    AddToList(video);
    std::filesystem::remove(video);
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.DateFichier));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_NE(
        std::find_if(host.log.begin(), host.log.end(),
                     [](const std::string &l) { return l.rfind("error etError Cannot modify the date of", 0) == 0; }),
        host.log.end());
}

TEST_F(FileDate, ALongNameGetsTheShortQuestion)
{
    core::TaviFichier fichier;
    fichier.SetPath("/v/" + std::string(250, 'a') + ".avi");
    EXPECT_EQ(DateFichierFileConFirmation(fichier).rfind("Do you really want to change the dates of this file?\n\n", 0),
              0u);
}

using Trash = CommandsFixture;

TEST_F(Trash, DeletedVideosGoToTheTrashAndLeaveTheList)
{
    const std::string a = Touch("a.avi");
    const std::string b = Touch("b.avi");
    AddToList(a);
    AddToList(b);
    host.answers = {TAnswer::Yes, TAnswer::Yes};
    ASSERT_TRUE(Run(dm.SupprimerFichier));
    ASSERT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(host.questions[0].text.rfind("Do you really want to delete the file a.avi ?\n"
                                           "If yes, it will be sent to the Trash.",
                                           0),
              0u);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_FALSE(Exists(a));
    EXPECT_TRUE(Exists((shell.trashFolder / "a.avi").string()));
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
}

TEST_F(Trash, AVideoTheTrashRefusesStaysInTheListAndIsReported)
{
    const std::string a = Touch("a.avi");
    AddToList(a);
    shell.refuseTrash = true;
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.SupprimerFichier));
    EXPECT_TRUE(Exists(a));
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "error etError Cannot move " + a + " to the Trash"),
              host.log.end());
}

TEST_F(Trash, CompanionFilesGoToTheTrashAndTheVideoIsReloaded)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    Touch("clip.scn");
    Touch("clip.srt");
    engine::AviFilePtr fichier = AddToList(video);
    ASSERT_TRUE(fichier->HasScn);
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(dm.SupprimerScn));
    EXPECT_EQ(host.questions.back().text.rfind("Do you really want to delete the file clip.scn ?", 0), 0u);
    EXPECT_FALSE(Exists((Scratch() / "clip.scn").string()));
    EXPECT_FALSE(list.entries[0].fichier->HasScn);
    EXPECT_TRUE(list.entries[0].fichier->HasSrt);

    shell.refuseTrash = true;
    host.questions.clear();
    ASSERT_TRUE(Run(dm.SupprimerSrt));
    EXPECT_TRUE(Exists((Scratch() / "clip.srt").string()));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_EQ(host.log.back(), "end");
    EXPECT_NE(std::find(host.log.begin(), host.log.end(),
                        "error etError An error occurred while deleting the srt file of " + video),
              host.log.end());
}

TEST_F(Trash, LongNamesGetTheShortQuestion)
{
    EXPECT_EQ(DeleteFileQuestion(std::string(250, 'a')),
              "Do you really want to delete this file?\nIf yes, it will be sent to the Trash.");
}

} // namespace
} // namespace camlog::commands::test
