// The command classes: messages, destinations, questions and the list update each class applies.
#include "engine/message_template.h"
#include "engine_fixture.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace camlog::engine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct TemplateCase {
    const char *tmpl;
    const char *text;
    int passe;
    const char *expected;
};

class MessageTemplate : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(MessageTemplate, Fills)
{
    const TemplateCase &c = GetParam();
    EXPECT_EQ(FormatCommandMessage(c.tmpl, c.text, c.passe), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MessageTemplate,
                         ::testing::Values(TemplateCase{"Converting %s in type 2", "clip.avi", 1,
                                                        "Converting clip.avi in type 2"},
                                           TemplateCase{"Extracting from %s the scene %d ", "clip.avi", 7,
                                                        "Extracting from clip.avi the scene 7 "},
                                           TemplateCase{"100%% of %s", "a", 1, "100% of a"},
                                           TemplateCase{"odd %x and trailing %", "a", 1, "odd %x and trailing %"},
                                           TemplateCase{"no arguments", "a", 1, "no arguments"}));

using Commands = EngineFixture;

TEST_F(Commands, StartMessageNamesTheFileAndErrorMessageItsFullPath)
{
    list.Fill({"/dv/clip.avi"});
    TFastcmd cmd;
    cmd.Nombre = fnSingle;
    cmd.StartMessage = "Converting %s in type 2";
    cmd.ErrorMessage = "Error converting %s";
    cmd.OnExecution = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        throw std::runtime_error("x");
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(host.log, ElementsAre("start", "file clip.avi 1", "msg Converting clip.avi in type 2",
                                      "error etError Error converting /dv/clip.avi", "end-file clip.avi 1", "end"));
}

TEST_F(Commands, CustomQuestionHasThreeButtonsForOneFileAndFiveWithTheFrenchNoteForMore)
{
    tCustomCmd cmd;
    cmd.OnFileVerification = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        return false;
    };
    cmd.OnFileConFirmation = [](core::TaviFichier *f, const TParams &, TCommandEngine &, int) {
        return "Delete " + f->FileName + "?";
    };
    cmd.OnExecution = Record();
    host.answers = {TAnswer::Yes, TAnswer::Yes, TAnswer::Yes};
    list.Fill({"/v/a.avi", "/v/b.avi"});

    cmd.Nombre = fnSingle;
    ASSERT_TRUE(Run(cmd));
    cmd.Nombre = fnAll;
    ASSERT_TRUE(Run(cmd));
    ASSERT_EQ(host.questions.size(), 3u);
    EXPECT_EQ(host.questions[0].text, "Delete a.avi?");
    EXPECT_EQ(host.questions[0].buttons, TQuestionButtons::YesNoCancel);
    EXPECT_EQ(host.questions[1].text, "Delete a.avi?\nSi vous r\xC3\xA9pondez \"Oui \xC3\xA0 Tous\" ou \"Non \xC3\xA0 "
                                      "Tous\", alors plus aucune confirmation ne sera demand\xC3\xA9"
                                      "e.");
    EXPECT_EQ(host.questions[1].buttons, TQuestionButtons::YesNoCancelAll);
}

TEST_F(Commands, DestinationThatExistsAsksAboutOverwritingIt)
{
    const std::string taken = Touch("a_type2.avi");
    const std::string folder = Scratch().string() + "/";
    list.Fill({folder + "a.avi", folder + "b.avi"});
    Tcmd cmd;
    cmd.OnDestination = [](core::TaviFichier *f, const TParams &, int) {
        return f->Folder + f->BaseName + "_type2.avi";
    };
    cmd.OnExecution = RecordDest();
    // Never consulted by this class.
    cmd.tCustomCmd::OnFileVerification = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        return false;
    };
    host.answers = {TAnswer::No, TAnswer::Yes};

    cmd.Nombre = fnSingle;
    ASSERT_TRUE(Run(cmd));
    cmd.Nombre = fnAll;
    ASSERT_TRUE(Run(cmd));

    ASSERT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(host.questions[0].text, "Do you really want to delete the existing file " + taken);
    EXPECT_EQ(host.questions[0].buttons, TQuestionButtons::YesNoCancel);
    EXPECT_EQ(host.questions[1].text, "Do you really want to delete the existing file " + taken
                                          + "?\nIf you answer \"All\", then no more confirmation will be requested");
    EXPECT_EQ(host.questions[1].buttons, TQuestionButtons::YesNoCancelAll);
    // b's destination is free: no question, and each execution gets its own file's destination.
    EXPECT_THAT(executed, ElementsAre("a.avi 1", "b.avi 1"));
    EXPECT_THAT(destinations, ElementsAre(taken, folder + "b_type2.avi"));
}

TEST_F(Commands, DestinationIsComputedPerPass)
{
    list.Fill({"/v/a.avi"});
    Tcmd cmd;
    cmd.Nombre = fnSingle;
    cmd.NbPasses = 2;
    cmd.OnDestination = [](core::TaviFichier *f, const TParams &, int passe) {
        return "/nowhere/" + f->BaseName + "_" + std::to_string(passe) + ".avi";
    };
    cmd.OnExecution = RecordDest();
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(destinations, ElementsAre("/nowhere/a_1.avi", "/nowhere/a_2.avi"));
}

TEST_F(Commands, AddedDestinationGoesToTheDestinationList)
{
    FakeList dest;
    TCommandEngine toDest{host, list, dest, fichierClass};
    const std::string folder = Scratch().string() + "/";
    list.Fill({folder + "a.avi", folder + "b.avi"});
    Tcmd cmd;
    cmd.Nombre = fnAll;
    cmd.UpdateFile = ufAdd;
    cmd.OnDestination = [](core::TaviFichier *f, const TParams &, int) {
        return f->Folder + f->BaseName + ".wav";
    };
    // Only a's destination gets written; a destination that was not created is not listed.
    cmd.OnExecution = [this](core::TaviFichier *f, const std::string &d, const TParams &, TCommandEngine &, int) {
        if (f->FileName == "a.avi")
            Touch(std::filesystem::path(d).filename().string());
    };
    ASSERT_TRUE(toDest.ExecuteCommand(cmd));
    host.PumpUntilEnded();
    EXPECT_THAT(dest.Names(), ElementsAre("a.wav"));
    EXPECT_THAT(list.Names(), ElementsAre("a.avi", "b.avi"));
}

TEST_F(Commands, RenameAsksWithTheNewFullPath)
{
    const std::string folder = Scratch().string() + "/";
    const std::string a = Touch("a.avi");
    Touch("2024-01-01.avi"); // the destination exists: the verification handler says so
    list.Fill({a});
    TRenameCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.OnDestination = [&](core::TaviFichier *, const TParams &, int) {
        return folder + "2024-01-01.avi";
    };
    std::vector<std::string> verified;
    cmd.OnFileVerification = [&](const std::string &d, core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        verified.push_back(d);
        return !std::filesystem::exists(d);
    };
    host.answers = {TAnswer::No};
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(verified, ElementsAre(folder + "2024-01-01.avi"));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].text, "Do you want to rename a.avi to " + folder + "2024-01-01.avi ?");
    EXPECT_TRUE(std::filesystem::exists(a));
}

TEST_F(Commands, RenameMovesTheFileAndItsEntry)
{
    const std::string folder = Scratch().string() + "/";
    const std::string a = Touch("a.avi", "video");
    list.Fill({a, "/v/other.avi"});
    TRenameCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.OnDestination = [&](core::TaviFichier *, const TParams &, int) {
        return folder + "renamed.avi";
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_EQ(Content(folder + "renamed.avi"), "video");
    EXPECT_THAT(list.Names(), ElementsAre("other.avi", "renamed.avi"));
    EXPECT_EQ(list.entries.back().fichier->FullPath, folder + "renamed.avi");
    EXPECT_TRUE(list.entries.back().selected);
}

TEST_F(Commands, RenameAlreadyDoneByTheHandlerOnlyMovesTheEntry)
{
    const std::string folder = Scratch().string() + "/";
    const std::string a = Touch("a.avi", "video");
    list.Fill({a});
    TRenameCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.ErrorMessage = "Cannot rename %s";
    cmd.OnDestination = [&](core::TaviFichier *, const TParams &, int) {
        return folder + "b.avi";
    };
    cmd.OnExecution = [](core::TaviFichier *f, const std::string &d, const TParams &, TCommandEngine &, int) {
        std::filesystem::rename(f->FullPath, d);
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(Content(folder + "b.avi"), "video");
    EXPECT_THAT(list.Names(), ElementsAre("b.avi"));
    EXPECT_EQ(engine.LastRun().failedPasses, 0);
}

// Moving a file onto a name another file took since the question would destroy that file.
TEST_F(Commands, RenameNeverOverwritesAnotherFile)
{
    const std::string folder = Scratch().string() + "/";
    const std::string a = Touch("a.avi", "mine");
    list.Fill({a});
    TRenameCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.ErrorMessage = "Cannot rename %s";
    cmd.OnDestination = [&](core::TaviFichier *, const TParams &, int) {
        return folder + "b.avi";
    };
    cmd.OnExecution = [this](core::TaviFichier *, const std::string &, const TParams &, TCommandEngine &, int) {
        Touch("b.avi", "someone else's");
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(Content(a), "mine");
    EXPECT_EQ(Content(folder + "b.avi"), "someone else's");
    EXPECT_THAT(list.Names(), ElementsAre("a.avi"));
    EXPECT_THAT(host.log, ::testing::Contains("error etError Cannot rename " + a));
}

TEST_F(Commands, RenameOfAFileThatVanishedIsAFailure)
{
    list.Fill({Scratch().string() + "/gone.avi"});
    TRenameCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.ErrorMessage = "Cannot rename %s";
    cmd.OnDestination = [&](core::TaviFichier *, const TParams &, int) {
        return Scratch().string() + "/new.avi";
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(list.Names(), ElementsAre("gone.avi"));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
}

} // namespace
} // namespace camlog::engine::test
