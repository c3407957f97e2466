// The run loop: which files run, in which order, with which questions, aborts and passes.
#include "engine_fixture.h"

#include <gmock/gmock.h>

namespace camlog::engine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using RunLoop = EngineFixture;

TEST_F(RunLoop, SelectedEntriesRunInListOrderAndAreSelectedAgainAsTheyRun)
{
    list.Fill({"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi", "/v/e.avi"});
    list.Select({3, 1});
    tCustomCmd cmd;
    cmd.Nombre = fnSelect;
    cmd.OnExecution = Record();
    std::vector<std::string> selectionAtStart;
    std::vector<std::vector<std::string>> selectionPerFile;
    bool enabledDuringRun = true;
    host.onStartCommand = [&] {
        selectionAtStart = list.SelectedNames();
    };
    host.onStartFichier = [&](core::TaviFichier *) {
        selectionPerFile.push_back(list.SelectedNames());
        enabledDuringRun = enabledDuringRun && list.enabled;
    };

    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("b.avi 1", "d.avi 1"));
    EXPECT_THAT(selectionAtStart, IsEmpty());
    EXPECT_THAT(selectionPerFile, ElementsAre(ElementsAre("b.avi"), ElementsAre("b.avi", "d.avi")));
    EXPECT_FALSE(enabledDuringRun);
    EXPECT_TRUE(list.enabled);
    EXPECT_THAT(list.SelectedNames(), ElementsAre("b.avi", "d.avi"));
    EXPECT_EQ(engine.FileCount(), 2);
}

TEST_F(RunLoop, RefusedParametersFailTheRunBeforeAnyQuestionOrFile)
{
    list.Fill({"/v/a.avi", "/v/b.avi", "/v/c.avi"});
    list.Select({0, 2});
    tCustomCmd cmd;
    cmd.Nombre = fnSelect;
    cmd.OnExecution = Record();
    cmd.OnFileVerification = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        return false;
    };
    cmd.OnParamsCheck = [](const TParams &params) {
        return params.empty() || params.front() != "good" ? std::string("no good parameter") : std::string();
    };
    ASSERT_TRUE(Run(cmd, {"bad"}));
    EXPECT_THAT(executed, IsEmpty());
    EXPECT_THAT(host.questions, IsEmpty());
    EXPECT_EQ(engine.LastRun().ending, RunEnd::Failed);
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "error etAllError no good parameter"), host.log.end());
    // Nothing ran: the selection is as it was, ready for the next run.
    EXPECT_THAT(list.SelectedNames(), ElementsAre("a.avi", "c.avi"));

    host.answers = {TAnswer::YesToAll};
    ASSERT_TRUE(Run(cmd, {"good"}));
    EXPECT_THAT(executed, ElementsAre("a.avi 1", "c.avi 1"));
    EXPECT_EQ(engine.LastRun().ending, RunEnd::Completed);
}

TEST_F(RunLoop, AllEntriesAndTheActiveOne)
{
    list.Fill({"/v/a.avi", "/v/b.avi", "/v/c.avi"});
    list.active = 1;
    tCustomCmd all;
    all.Nombre = fnAll;
    all.OnExecution = Record();
    ASSERT_TRUE(Run(all));
    EXPECT_THAT(executed, ElementsAre("a.avi 1", "b.avi 1", "c.avi 1"));
    EXPECT_EQ(engine.FileCount(), 3);

    executed.clear();
    tCustomCmd single;
    single.Nombre = fnSingle;
    single.OnExecution = Record();
    ASSERT_TRUE(Run(single));
    EXPECT_THAT(executed, ElementsAre("b.avi 1"));
    EXPECT_EQ(engine.FileCount(), 1);
}

struct RefusedCase {
    const char *name;
    TcmdNombre nombre;
    std::vector<std::string> paths;
    int active;
};

class RefusedStart : public EngineFixture, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedStart, FiresNoEventAndLeavesTheEngineIdle)
{
    const RefusedCase &c = GetParam();
    list.Fill(c.paths);
    list.active = c.active;
    tCustomCmd cmd;
    cmd.Nombre = c.nombre;
    cmd.OnExecution = Record();
    EXPECT_FALSE(engine.ExecuteCommand(cmd));
    EXPECT_FALSE(engine.IsRunning());
    EXPECT_THAT(host.log, IsEmpty());
    EXPECT_TRUE(list.enabled);
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedStart,
                         ::testing::Values(RefusedCase{"EmptySelection", fnSelect, {"/v/a.avi", "/v/b.avi"}, 0},
                                           RefusedCase{"NoActiveFile", fnSingle, {"/v/a.avi"}, -1},
                                           RefusedCase{"EmptyList", fnAll, {}, -1},
                                           RefusedCase{"EmptyListSingle", fnSingle, {}, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RunLoop, CommandConditionRefusesTheRun)
{
    list.Fill({"/v/a.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnCommandCondition = [](TCommandEngine &) {
        return false;
    };
    EXPECT_FALSE(engine.ExecuteCommand(cmd));
    EXPECT_THAT(host.log, IsEmpty());
}

TEST_F(RunLoop, CommandWithoutFilesRunsOnceWithNoFileAndNoFileEvents)
{
    list.Fill({"/v/a.avi"});
    list.Select({0});
    tCustomCmd cmd;
    cmd.Nombre = fnNone;
    cmd.OnExecution = Record();
    cmd.OnFileVerification = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        return false;
    };
    cmd.OnFileConFirmation = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        return std::string("never asked");
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("(none) 1"));
    EXPECT_THAT(host.log, ElementsAre("start", "end"));
    EXPECT_THAT(list.SelectedNames(), ElementsAre("a.avi")); // the selection is not touched

    executed.clear();
    cmd.NbPasses = 3;
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("(none) 1", "(none) 2", "(none) 3"));
}

TEST_F(RunLoop, FileConditionSkipsDisabledFiles)
{
    list.Fill({"/v/a.avi", "/v/skip.avi", "/v/c.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnExecution = Record();
    cmd.OnFileCondition = [](core::TaviFichier *f, bool &visible, bool &enabled) {
        visible = false; // not used by the run
        enabled = f->FileName != "skip.avi";
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("a.avi 1", "c.avi 1"));
}

// --- Answers ---------------------------------------------------------------------------------

struct AnswerCase {
    const char *name;
    std::vector<bool> needsQuestion; // per file: the verification fails
    std::vector<TAnswer> answers;
    std::vector<std::string> executed;
    std::size_t questions;
    RunEnd ending;
    int skipped; // files reached and not run: what the status bar counts after the run
};

class Answers : public EngineFixture, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(Answers, DecideWhichFilesRun)
{
    const AnswerCase &c = GetParam();
    list.Fill({"/v/1.avi", "/v/2.avi", "/v/3.avi", "/v/4.avi"});
    host.answers = c.answers;
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnExecution = Record();
    const std::vector<bool> needs = c.needsQuestion;
    cmd.OnFileVerification = [needs](core::TaviFichier *f, const TParams &, TCommandEngine &, int) {
        return !needs.at(static_cast<std::size_t>(f->FileName[0] - '1'));
    };
    cmd.OnFileConFirmation = [](core::TaviFichier *f, const TParams &, TCommandEngine &, int) {
        return "Process " + f->FileName + "?";
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(executed, c.executed);
    EXPECT_EQ(host.questions.size(), c.questions);
    EXPECT_EQ(engine.LastRun().ending, c.ending);
    EXPECT_EQ(engine.LastRun().doneFiles, static_cast<int>(c.executed.size()));
    EXPECT_EQ(engine.LastRun().skippedFiles, c.skipped);
    EXPECT_EQ(engine.LastRun().failedFiles, 0);
    EXPECT_EQ(host.endCount, 1);
    EXPECT_TRUE(list.enabled);
}

const std::vector<bool> kAllAsk{true, true, true, true};
using A = TAnswer;

INSTANTIATE_TEST_SUITE_P(
    Cases, Answers,
    ::testing::Values(AnswerCase{"CancelAtSecond", kAllAsk, {A::Yes, A::Cancel}, {"1.avi 1"}, 2, RunEnd::Cancelled, 1},
                      AnswerCase{"NoThenYes",
                                 kAllAsk,
                                 {A::No, A::Yes, A::Yes, A::Yes},
                                 {"2.avi 1", "3.avi 1", "4.avi 1"},
                                 4,
                                 RunEnd::Completed,
                                 1},
                      AnswerCase{"YesToAllAtFirst",
                                 kAllAsk,
                                 {A::YesToAll},
                                 {"1.avi 1", "2.avi 1", "3.avi 1", "4.avi 1"},
                                 1,
                                 RunEnd::Completed,
                                 0},
                      AnswerCase{"NoToAllAtFirst", kAllAsk, {A::NoToAll}, {}, 1, RunEnd::Completed, 4},
                      AnswerCase{"NoThenAFileThatNeedsNoQuestion",
                                 {true, false, true, false},
                                 {A::No, A::Yes},
                                 {"2.avi 1", "3.avi 1", "4.avi 1"},
                                 2,
                                 RunEnd::Completed,
                                 1},
                      // No to All skips every later file, even one whose verification passes.
                      AnswerCase{"NoToAllThenAFileThatNeedsNoQuestion",
                                 {false, true, false, true},
                                 {A::NoToAll},
                                 {"1.avi 1"},
                                 1,
                                 RunEnd::Completed,
                                 3},
                      // A plain Yes is not remembered: the next failing verification asks again.
                      AnswerCase{"YesIsAskedAgain",
                                 {true, false, true, false},
                                 {A::Yes, A::No},
                                 {"1.avi 1", "2.avi 1", "4.avi 1"},
                                 2,
                                 RunEnd::Completed,
                                 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RunLoop, PlainCommandWithoutQuestionRunsFilesThatFailTheirVerification)
{
    list.Fill({"/v/1.avi", "/v/2.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnExecution = Record();
    cmd.OnFileVerification = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        return false;
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi 1", "2.avi 1"));
    EXPECT_THAT(host.questions, IsEmpty());
}

// --- Aborts ----------------------------------------------------------------------------------

TEST_F(RunLoop, AbortDuringAShortExecutionSkipsTheNextFileOnly)
{
    list.Fill({"/v/1.avi", "/v/2.avi", "/v/3.avi", "/v/4.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnExecution = [this](core::TaviFichier *f, const TParams &, TCommandEngine &ce, int) {
        executed.push_back(f->FileName);
        if (f->FileName == "2.avi")
            host.OnHost([&ce] { ce.Abort(); }); // the user presses "Abort" while file 2 runs
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi", "2.avi", "4.avi"));
    EXPECT_EQ(engine.LastRun().ending, RunEnd::Completed);
}

TEST_F(RunLoop, AbortSeenByALongExecutionIsSpentSoTheNextFileRuns)
{
    list.Fill({"/v/1.avi", "/v/2.avi", "/v/3.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    std::vector<std::string> stoppedEarly;
    cmd.OnExecution = [&](core::TaviFichier *f, const TParams &, TCommandEngine &ce, int) {
        executed.push_back(f->FileName);
        if (f->FileName == "2.avi")
            host.OnHost([&ce] { ce.Abort(); });
        if (ce.Aborted())
            stoppedEarly.push_back(f->FileName);
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi", "2.avi", "3.avi"));
    EXPECT_THAT(stoppedEarly, ElementsAre("2.avi"));
}

TEST_F(RunLoop, AbortAllStartsNoFurtherFile)
{
    list.Fill({"/v/1.avi", "/v/2.avi", "/v/3.avi", "/v/4.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.NbPasses = 2;
    int abortHandlerCalls = 0;
    cmd.OnAbort = [&](TCommandEngine &) {
        ++abortHandlerCalls;
    };
    cmd.OnExecution = [this](core::TaviFichier *f, const TParams &, TCommandEngine &ce, int passe) {
        executed.push_back(f->FileName + " " + std::to_string(passe));
        if (f->FileName == "2.avi")
            host.OnHost([&ce] { ce.AbortAll(); });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi 1", "1.avi 2", "2.avi 1"));
    EXPECT_EQ(abortHandlerCalls, 1);
    EXPECT_EQ(engine.LastRun().ending, RunEnd::AbortedAll);
    EXPECT_EQ(host.log.back(), "end");
}

TEST_F(RunLoop, AbortDuringAPassLeavesTheFilesOtherPassesAndTheNextFileRuns)
{
    list.Fill({"/v/1.avi", "/v/2.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.NbPasses = 3;
    cmd.OnExecution = [this](core::TaviFichier *f, const TParams &, TCommandEngine &ce, int passe) {
        executed.push_back(f->FileName + " " + std::to_string(passe));
        if (f->FileName == "1.avi" && passe == 1)
            host.OnHost([&ce] { ce.Abort(); });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi 1", "2.avi 1", "2.avi 2", "2.avi 3"));
}

TEST_F(RunLoop, AnAbortBeforeTheRunDoesNotReachIt)
{
    list.Fill({"/v/1.avi"});
    engine.Abort();
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnExecution = Record();
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi 1"));
}

// --- Passes ----------------------------------------------------------------------------------

TEST_F(RunLoop, PassesRunInOrderAndFollowAChangeMadeInTheFirstPass)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.NbPasses = 1;
    cmd.OnExecution = [&](core::TaviFichier *f, const TParams &, TCommandEngine &, int passe) {
        executed.push_back(f->FileName + " " + std::to_string(passe));
        if (passe == 1)
            cmd.NbPasses = f->FileName == "a.avi" ? 3 : 2; // as the scene cutter does per file
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("a.avi 1", "a.avi 2", "a.avi 3", "b.avi 1", "b.avi 2"));
    EXPECT_THAT(host.log, ElementsAre("start", "file a.avi 1", "end-file a.avi 1", "file a.avi 2", "end-file a.avi 2",
                                      "file a.avi 3", "end-file a.avi 3", "file b.avi 1", "end-file b.avi 1",
                                      "file b.avi 2", "end-file b.avi 2", "end"));
}

// Each file's passes are set when that file starts, before its first question: a file whose
// first pass is declined still runs its own passes, not those the previous file left.
TEST_F(RunLoop, PassesAreSetWhenEachFileStartsWhateverTheFirstAnswer)
{
    list.Fill({"/v/a.avi", "/v/b.avi", "/v/c.avi"});
    host.answers = {A::No};
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    std::vector<std::string> prepared;
    cmd.OnPrepareFichier = [&](core::TaviFichier *f, const TParams &) {
        prepared.push_back(f->FileName);
        cmd.NbPasses = f->FileName == "a.avi" ? 3 : 2;
    };
    cmd.OnFileCondition = [](core::TaviFichier *f, bool &, bool &enabled) {
        enabled = f->FileName != "c.avi";
    };
    cmd.OnFileVerification = [](core::TaviFichier *f, const TParams &, TCommandEngine &, int passe) {
        return f->FileName != "b.avi" || passe != 1;
    };
    cmd.OnFileConFirmation = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        return "?";
    };
    cmd.OnExecution = Record();
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(prepared, ElementsAre("a.avi", "b.avi"));
    EXPECT_THAT(executed, ElementsAre("a.avi 1", "a.avi 2", "a.avi 3", "b.avi 2"));
    EXPECT_EQ(host.questions.size(), 1u);
}

struct PassAnswerCase {
    const char *name;
    std::vector<TAnswer> answers;
    std::vector<std::string> executed;
    std::size_t questions;
};

class PassAnswers : public EngineFixture, public ::testing::WithParamInterface<PassAnswerCase> {};

// Every pass needs a question. A declined pass moves on to the next one; the run ends.
TEST_P(PassAnswers, DeclinedPassesMoveOn)
{
    const PassAnswerCase &c = GetParam();
    list.Fill({"/v/a.avi", "/v/b.avi"});
    host.answers = c.answers;
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.NbPasses = 3;
    cmd.OnExecution = Record();
    cmd.OnFileVerification = [](core::TaviFichier *, const TParams &, TCommandEngine &, int) {
        return false;
    };
    cmd.OnFileConFirmation = [](core::TaviFichier *f, const TParams &, TCommandEngine &, int passe) {
        return f->FileName + " scene " + std::to_string(passe) + "?";
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(executed, c.executed);
    ASSERT_EQ(host.questions.size(), c.questions);
    if (c.questions >= 2) {
        EXPECT_EQ(host.questions[1].text.substr(0, 16), "a.avi scene 2?\nS");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PassAnswers,
                         ::testing::Values(PassAnswerCase{"NoToTheSecondPass",
                                                          {A::Yes, A::No, A::Yes, A::Yes, A::Yes, A::Yes},
                                                          {"a.avi 1", "a.avi 3", "b.avi 1", "b.avi 2", "b.avi 3"},
                                                          6},
                                           PassAnswerCase{"NoToAllAtTheFirstPass", {A::NoToAll}, {}, 1},
                                           PassAnswerCase{
                                               "NoToAllAtTheSecondPass", {A::Yes, A::NoToAll}, {"a.avi 1"}, 2}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- Errors ----------------------------------------------------------------------------------

TEST_F(RunLoop, AFailedFileIsReportedWithTheErrorMessageAndTheRunGoesOn)
{
    list.Fill({"/v/1.avi", "/v/2.avi", "/v/3.avi"});
    TFastcmd cmd;
    cmd.Nombre = fnAll;
    cmd.ErrorMessage = "Cannot convert %s (pass %d)";
    cmd.OnExecution = [this](core::TaviFichier *f, const TParams &, TCommandEngine &, int) {
        if (f->FileName == "2.avi")
            throw std::runtime_error("disk full");
        executed.push_back(f->FileName);
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi", "3.avi"));
    EXPECT_THAT(host.log, ElementsAre("start", "file 1.avi 1", "end-file 1.avi 1", "file 2.avi 1",
                                      "error etError Cannot convert /v/2.avi (pass 1)", "end-file 2.avi 1",
                                      "file 3.avi 1", "end-file 3.avi 1", "end"));
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_EQ(engine.LastRun().executedPasses, 3);
}

TEST_F(RunLoop, AFailureWithoutErrorMessageIsSilentButCounted)
{
    list.Fill({"/v/1.avi", "/v/2.avi"});
    TFastcmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnExecution = [this](core::TaviFichier *f, const TParams &, TCommandEngine &, int) {
        if (f->FileName == "1.avi")
            throw std::runtime_error("boom");
        executed.push_back(f->FileName);
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("2.avi"));
    for (const auto &line : host.log)
        EXPECT_NE(line.rfind("error", 0), 0u) << line;
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_EQ(engine.LastRun().ending, RunEnd::Completed);
}

TEST_F(RunLoop, AnErrorThatStopsTheCommandEndsTheRunWithoutTheEndOfFileStep)
{
    list.Fill({"/v/1.avi", "/v/2.avi", "/v/3.avi"});
    TFastcmd cmd;
    cmd.Nombre = fnAll;
    cmd.UpdateDisplay = udFinal;
    cmd.OnExecution = [this](core::TaviFichier *f, const TParams &, TCommandEngine &ce, int) {
        executed.push_back(f->FileName);
        if (f->FileName == "2.avi") {
            ce.ErrorCommand("The disk is gone", etAllError);
            ce.ErrorCommand("and a lesser one after it", etError);
        }
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi", "2.avi"));
    EXPECT_THAT(host.log,
                ElementsAre("start", "file 1.avi 1", "end-file 1.avi 1", "file 2.avi 1",
                            "error etAllError The disk is gone", "error etError and a lesser one after it", "end"));
    EXPECT_EQ(engine.LastRun().ending, RunEnd::AllError);
    EXPECT_EQ(list.refreshAllCount, 1);
    EXPECT_TRUE(list.enabled);
}

TEST_F(RunLoop, AnExceptionFromAPlainCommandEndsTheRunAndIsReported)
{
    list.Fill({"/v/1.avi", "/v/2.avi"});
    list.Select({0, 1});
    tCustomCmd cmd;
    cmd.Nombre = fnSelect;
    cmd.OnExecution = [this](core::TaviFichier *f, const TParams &, TCommandEngine &, int) {
        executed.push_back(f->FileName);
        throw std::runtime_error("shell refused");
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, ElementsAre("1.avi"));
    EXPECT_THAT(host.log, ElementsAre("start", "file 1.avi 1", "error etAllError shell refused", "end"));
    EXPECT_EQ(engine.LastRun().ending, RunEnd::Failed);
    EXPECT_TRUE(list.enabled);
    EXPECT_FALSE(engine.IsRunning());
}

TEST_F(RunLoop, AnExceptionFromAHostEventEndsTheRunThroughTheEndStep)
{
    list.Fill({"/v/1.avi", "/v/2.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.OnExecution = Record();
    host.onStartFichier = [](core::TaviFichier *) {
        throw std::runtime_error("panel gone");
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(executed, IsEmpty());
    EXPECT_EQ(host.endCount, 1);
    EXPECT_TRUE(list.enabled);
}

// --- Display updates -------------------------------------------------------------------------

struct DisplayCase {
    const char *name;
    TUpdateDisplay display;
    int refreshActive;
    int refreshAll;
};

class DisplayUpdates : public EngineFixture, public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(DisplayUpdates, RefreshTheListPerFileOrOnceAtTheEnd)
{
    const DisplayCase &c = GetParam();
    list.Fill({"/v/1.avi", "/v/2.avi", "/v/3.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    cmd.UpdateDisplay = c.display;
    cmd.OnExecution = Record();
    std::vector<int> refreshedBeforeEndFichier;
    host.onEndFichier = [&](core::TaviFichier *) {
        refreshedBeforeEndFichier.push_back(list.refreshActiveCount);
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(list.refreshActiveCount, c.refreshActive);
    EXPECT_EQ(list.refreshAllCount, c.refreshAll);
    if (c.display == udEach) {
        EXPECT_THAT(refreshedBeforeEndFichier, ElementsAre(1, 2, 3));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DisplayUpdates,
                         ::testing::Values(DisplayCase{"None", udNone, 0, 0}, DisplayCase{"Each", udEach, 3, 0},
                                           DisplayCase{"Final", udFinal, 0, 1}),
                         [](const auto &info) { return std::string(info.param.name); });

// --- One run at a time -----------------------------------------------------------------------

TEST_F(RunLoop, ASecondRunIsRefusedUntilTheEndOfTheFirstHasBeenDelivered)
{
    list.Fill({"/v/1.avi", "/v/2.avi"});
    tCustomCmd other;
    other.Nombre = fnAll;
    other.OnExecution = Record();
    tCustomCmd cmd;
    cmd.Nombre = fnAll;
    std::vector<bool> accepted;
    cmd.OnExecution = [&](core::TaviFichier *, const TParams &, TCommandEngine &ce, int) {
        host.OnHost([&] { accepted.push_back(ce.ExecuteCommand(other)); });
        accepted.push_back(ce.ExecuteCommand(other)); // from the worker itself
    };
    host.onEndCommand = [&] {
        if (host.endCount == 0)
            accepted.push_back(engine.ExecuteCommand(other));
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(accepted, ElementsAre(false, false, false, false, false));
    EXPECT_EQ(engine.CurrentCommand(), nullptr);

    // Right after the end has been delivered, as a script runner waiting on the busy flag does.
    ASSERT_TRUE(Run(other));
    EXPECT_THAT(executed, ElementsAre("1.avi 1", "2.avi 1"));
    EXPECT_EQ(host.startCount, 2);
}

TEST_F(RunLoop, ParametersReachTheHandlersAndTheCommandKnowsItsEngine)
{
    list.Fill({"/v/1.avi"});
    tCustomCmd cmd;
    cmd.Nombre = fnSingle;
    TParams seen;
    TCommandEngine *engineSeen = nullptr;
    cmd.OnExecution = [&](core::TaviFichier *, const TParams &params, TCommandEngine &ce, int) {
        seen = params;
        engineSeen = &ce;
    };
    ASSERT_TRUE(Run(cmd, {"a", "b"}));
    EXPECT_THAT(seen, ElementsAre("a", "b"));
    EXPECT_EQ(engineSeen, &engine);
    EXPECT_EQ(cmd.Engine(), &engine);
}

} // namespace
} // namespace camlog::engine::test
