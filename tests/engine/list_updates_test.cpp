// The list updates of a run: remove, reload and replace, and what the end-of-file event receives.
#include "engine_fixture.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace camlog::engine::test {
namespace {

using ::testing::ElementsAre;

using ListUpdates = EngineFixture;

TEST_F(ListUpdates, ReloadGivesTheNewObjectToTheEndOfFileEventAndToLaterPasses)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    const core::TaviFichier *oldA = list.entries[0].fichier.get();
    TFastcmd cmd;
    cmd.Nombre = fnAll;
    cmd.NbPasses = 2;
    cmd.UpdateFile = ufReload;
    std::vector<const core::TaviFichier *> executedOn;
    cmd.OnExecution = [&](core::TaviFichier *f, const TParams &, TCommandEngine &, int) {
        executedOn.push_back(f);
    };
    ASSERT_TRUE(Run(cmd));

    ASSERT_EQ(host.endFichierObjects.size(), 4u);
    const core::TaviFichier *newA1 = host.endFichierObjects[0];
    EXPECT_NE(newA1, oldA);
    EXPECT_EQ(executedOn[1], newA1); // pass 2 works on the reloaded object
    EXPECT_EQ(list.entries[0].fichier.get(), host.endFichierObjects[1]);
    EXPECT_EQ(list.entries[0].fichier->FullPath, "/v/a.avi");
    EXPECT_EQ(built, 4);
}

TEST_F(ListUpdates, RemovedFileStaysUsableForTheEndOfFileEvent)
{
    list.Fill({"/v/a.avi", "/v/b.avi", "/v/c.avi"});
    TFastcmd cmd;
    cmd.Nombre = fnAll;
    cmd.UpdateFile = ufRemove;
    cmd.OnExecution = Record();
    std::vector<std::string> namesAtEnd;
    // The host writes into the object it receives (the time difference), as the main window does.
    host.onEndFichier = [&](core::TaviFichier *f) {
        f->ShiftText = "+1 day";
        namesAtEnd.push_back(f->FileName);
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("a.avi 1", "b.avi 1", "c.avi 1"));
    EXPECT_THAT(namesAtEnd, ElementsAre("a.avi", "b.avi", "c.avi"));
    EXPECT_TRUE(list.entries.empty());
}

// A later file of the run replaced in the list (an added destination with the same path, an
// opening, the user) is still a valid object when its turn comes.
TEST_F(ListUpdates, EntriesDroppedByTheListDuringTheRunStayValid)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnExecution = [this](core::TaviFichier *f, const TParams &, TCommandEngine &, int) {
        executed.push_back(f->FullPath);
        if (f->FileName == "a.avi")
            host.OnHost([this] { list.entries[1].fichier = MakeFichier("/v/b.avi"); });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("/v/a.avi", "/v/b.avi"));
}

TEST_F(ListUpdates, ReplaceDeletesTheFileAndPutsTheDestinationInItsPlace)
{
    const std::string a = Touch("a.avi", "old");
    list.Fill({a, "/v/z.avi"});
    Tcmd cmd;
    cmd.Nombre = fnSingle;
    cmd.UpdateFile = ufReplace;
    cmd.OnDestination = [](core::TaviFichier *f, const TParams &, int) {
        return f->Folder + "a_new.avi";
    };
    cmd.OnExecution = [this](core::TaviFichier *, const std::string &, const TParams &, TCommandEngine &, int) {
        Touch("a_new.avi", "new");
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_THAT(list.Names(), ElementsAre("z.avi", "a_new.avi"));
    ASSERT_EQ(host.endFichierObjects.size(), 1u);
    EXPECT_EQ(host.endFichierObjects[0], list.entries[1].fichier.get());
}

TEST_F(ListUpdates, ReplaceByTheFileItselfKeepsTheFile)
{
    const std::string a = Touch("a.avi", "precious");
    list.Fill({a});
    Tcmd cmd;
    cmd.Nombre = fnSingle;
    cmd.UpdateFile = ufReplace;
    cmd.OnDestination = [](core::TaviFichier *f, const TParams &, int) {
        return f->Folder + "./" + f->FileName;
    };
    host.answers = {TAnswer::Yes};
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(Content(a), "precious");
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0].fichier->FullPath, a);
}

TEST_F(ListUpdates, ReplaceOrAddOfAMissingDestinationDoesNothing)
{
    const std::string a = Touch("a.avi");
    list.Fill({a});
    Tcmd cmd;
    cmd.Nombre = fnSingle;
    cmd.OnDestination = [](core::TaviFichier *f, const TParams &, int) {
        return f->Folder + "never_written.avi";
    };
    for (TUpdateFile update : {ufReplace, ufAdd}) {
        cmd.UpdateFile = update;
        ASSERT_TRUE(Run(cmd));
        EXPECT_TRUE(std::filesystem::exists(a));
        EXPECT_THAT(list.Names(), ElementsAre("a.avi"));
    }
    EXPECT_EQ(built, 0);
}

TEST_F(ListUpdates, AFailedUpdateIsReportedAsTheFilesFailure)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    fichierClass = [](const std::string &path) -> AviFilePtr {
        throw std::runtime_error("cannot read " + path);
    };
    TFastcmd cmd;
    cmd.Nombre = fnAll;
    cmd.UpdateFile = ufReload;
    cmd.ErrorMessage = "Cannot reload %s";
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(host.log, ::testing::Contains("error etError Cannot reload /v/a.avi"));
    EXPECT_THAT(host.log, ::testing::Contains("error etError Cannot reload /v/b.avi"));
    EXPECT_EQ(engine.LastRun().failedPasses, 2);
}

} // namespace
} // namespace camlog::engine::test
