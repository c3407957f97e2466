// The batch mode's host pieces: typed answers and the answer rules, the text gauge, and the
// hand-off of a command run's steps to the main thread.
#include "app/batch/batch_session.h"
#include "app/batch/progress_bar.h"
#include "app/batch/terminal_questions.h"

#include "headless/actions/action_catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace camlog::app {
namespace {

using engine::TAnswer;
using engine::TQuestionButtons;
using ::testing::HasSubstr;

// A FILE over a string, closed with its owner.
struct MemoryFile {
    explicit MemoryFile(const std::string &input = {}) : text(input)
    {
        file = text.empty() ? std::tmpfile() : fmemopen(text.data(), text.size(), "r");
    }
    ~MemoryFile() { std::fclose(file); }
    std::string written()
    {
        std::fflush(file);
        std::rewind(file);
        std::string out;
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
            out.push_back(static_cast<char>(c));
        return out;
    }
    std::string text;
    std::FILE *file = nullptr;
};

struct TypedCase {
    const char *typed;
    TQuestionButtons buttons;
    TAnswer expected;
};

class TypedAnswerTest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedAnswerTest, ReadsTheReplyAndAsksAgainUntilItIsOne)
{
    MemoryFile in(GetParam().typed);
    MemoryFile out;
    TerminalQuestions questions(AnswerRule::Ask, true, in.file, out.file);
    EXPECT_EQ(questions.Ask("Do you want to rename a.avi ?", GetParam().buttons), GetParam().expected);
    EXPECT_THAT(out.written(), HasSubstr("Do you want to rename a.avi ?"));
}

INSTANTIATE_TEST_SUITE_P(Replies, TypedAnswerTest,
                         ::testing::Values(TypedCase{"y\n", TQuestionButtons::YesNoCancel, TAnswer::Yes},
                                           TypedCase{"  YES \n", TQuestionButtons::YesNoCancel, TAnswer::Yes},
                                           TypedCase{"n\n", TQuestionButtons::YesNoCancelAll, TAnswer::No},
                                           TypedCase{"cancel\n", TQuestionButtons::YesNoCancel, TAnswer::Cancel},
                                           TypedCase{"a\n", TQuestionButtons::YesNoCancelAll, TAnswer::YesToAll},
                                           TypedCase{"No to All\n", TQuestionButtons::YesNoCancelAll, TAnswer::NoToAll},
                                           TypedCase{"none", TQuestionButtons::YesNoCancelAll, TAnswer::NoToAll},
                                           // Not a reply for these buttons, or none at all: asked again.
                                           TypedCase{"a\nmaybe\nn\n", TQuestionButtons::YesNoCancel, TAnswer::No},
                                           // The end of the input cancels rather than guess.
                                           TypedCase{"", TQuestionButtons::YesNoCancelAll, TAnswer::Cancel},
                                           TypedCase{"x\n", TQuestionButtons::YesNoCancel, TAnswer::Cancel}),
                         [](const auto &info) { return "reply" + std::to_string(info.index); });

struct RuleCase {
    AnswerRule rule;
    bool interactive;
    TQuestionButtons buttons;
    TAnswer expected;
};

class AnswerRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(AnswerRuleTest, AnswersWithoutReading)
{
    MemoryFile in("y\n");
    MemoryFile out;
    TerminalQuestions questions(GetParam().rule, GetParam().interactive, in.file, out.file);
    EXPECT_EQ(questions.Ask("Overwrite?", GetParam().buttons), GetParam().expected);
    EXPECT_EQ(std::fgetc(in.file), 'y'); // nothing was read
    EXPECT_THAT(out.written(), HasSubstr("Overwrite?\n  -> "));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AnswerRuleTest,
    ::testing::Values(RuleCase{AnswerRule::YesToAll, true, TQuestionButtons::YesNoCancelAll, TAnswer::YesToAll},
                      RuleCase{AnswerRule::YesToAll, false, TQuestionButtons::YesNoCancel, TAnswer::Yes},
                      RuleCase{AnswerRule::NoToAll, true, TQuestionButtons::YesNoCancelAll, TAnswer::NoToAll},
                      RuleCase{AnswerRule::NoToAll, true, TQuestionButtons::YesNoCancel, TAnswer::No},
                      RuleCase{AnswerRule::Ask, false, TQuestionButtons::YesNoCancelAll, TAnswer::NoToAll},
                      RuleCase{AnswerRule::Ask, false, TQuestionButtons::YesNoCancel, TAnswer::No}),
    [](const auto &info) { return "rule" + std::to_string(info.index); });

TEST(ProgressBarText, FillsInProportionAndClamps)
{
    EXPECT_EQ(ProgressBarText(5, 10, 20), "[##########----------]  50%");
    EXPECT_EQ(ProgressBarText(0, 0, 4), "[----]   0%");
    EXPECT_EQ(ProgressBarText(15, 10, 4), "[####] 100%");
    EXPECT_EQ(ProgressBarText(-3, 10, 4), "[----]   0%");
    // Positions of long files do not overflow the product.
    EXPECT_EQ(ProgressBarText(3'000'000'000LL, 4'000'000'000LL, 4), "[###-]  75%");
}

TEST(ProgressBar, WritesNothingWhenTheStreamIsNoTerminal)
{
    MemoryFile out;
    ProgressBar bar(out.file, false);
    bar.start(10);
    bar.set(5);
    bar.end();
    EXPECT_EQ(out.written(), "");
}

// ---- The hand-off -------------------------------------------------------------------------

// A session whose only command is the one "Visit the homepage" starts (it takes no file).
class HandOffTest : public ::testing::Test {
protected:
    HandOffTest()
    {
        command.Nombre = engine::fnNone;
        streams.in = in.file;
        streams.out = out.file;
        streams.err = err.file;
    }

    bool Run(const std::vector<std::string> &words)
    {
        session::CommandBinding binding;
        binding.commandFor = [this](std::string_view action) -> engine::tCustomCmd * {
            return action == "ccVisitHomepage" ? &command : nullptr;
        };
        BatchSession session(prefs::Settings{}, AnswerRule::NoToAll, streams, core::AviFileContext{}, binding,
                             session::ProgramIdentity{"Camlog 0.1.0En", "https://example.org"});
        std::vector<ui::ActionCall> calls;
        for (const auto &word : words)
            calls.push_back({ui::FindAction(word), ui::CallMode::Toggle, ""});
        return session.run(calls);
    }

    engine::tCustomCmd command;
    MemoryFile in, out, err;
    BatchStreams streams;
};

TEST_F(HandOffTest, CommandStepsReachTheMainThreadWhileTheWorkerWaits)
{
    const auto mainThread = std::this_thread::get_id();
    std::thread::id worker;
    std::vector<TAnswer> answers;
    command.OnExecution = [&](core::TaviFichier *, const engine::TParams &, engine::TCommandEngine &ce, int) {
        worker = std::this_thread::get_id();
        ce.MessageCommand("working");
        answers.push_back(ce.AskQuestion("Go on?", TQuestionButtons::YesNoCancel));
        ce.StartProgress(10);
        ce.SetProgress(5);
        ce.EndProgress();
        ce.MessageCommand("done");
    };
    // The second call waits for the first run to end: one run at a time, in order.
    EXPECT_TRUE(Run({"homepage", "homepage"}));
    EXPECT_NE(worker, mainThread);
    EXPECT_THAT(answers, ::testing::ElementsAre(TAnswer::No, TAnswer::No));
    EXPECT_EQ(err.written(), "working\nGo on?\n  -> No (--no)\ndone\nworking\nGo on?\n  -> No (--no)\ndone\n");
}

TEST_F(HandOffTest, AnErrorOfTheRunFailsTheBatch)
{
    command.OnExecution = [](core::TaviFichier *, const engine::TParams &, engine::TCommandEngine &ce, int) {
        ce.ErrorCommand("Cannot write", engine::etError);
    };
    EXPECT_FALSE(Run({"homepage"}));
    EXPECT_THAT(err.written(), HasSubstr("Error: Cannot write\nThe current file has been aborted.\n"));
}

TEST_F(HandOffTest, AnExceptionOfTheRunFailsTheBatch)
{
    command.OnExecution = [](core::TaviFichier *, const engine::TParams &, engine::TCommandEngine &, int) {
        throw std::runtime_error("disk gone");
    };
    EXPECT_FALSE(Run({"homepage"}));
    EXPECT_THAT(err.written(), HasSubstr("disk gone"));
}

TEST_F(HandOffTest, DisabledAndUnboundActionsSaySo)
{
    // "Parent folder" needs a file in the list; "Send an e-mail" has no command here.
    EXPECT_TRUE(Run({"parent", "sendmail"}));
    EXPECT_THAT(err.written(), HasSubstr("\"Parent folder\" skipped"));
    EXPECT_THAT(err.written(), HasSubstr("\"Send an e-mail\" is not available in batch mode"));
}

} // namespace
} // namespace camlog::app
