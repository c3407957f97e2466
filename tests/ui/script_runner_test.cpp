// The script runner: order of calls, nested scripts, refused self-launches, stops, the wait for
// the work a call started, and script files that cannot be run.
#include "headless/actions/script_runner.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace camlog::ui {
namespace {

namespace fs = std::filesystem;

// Stands for the window: records each call, launches scripts as "Launch a script" does, presses
// "Abort" while the call whose parameter is "abort" is running, and starts work (the busy flag
// goes up) in the calls whose parameter is "work".
class FakeRunner : public ActionRunner {
public:
    ScriptRunner *scripts = nullptr;
    std::set<std::string> disabled;
    std::vector<std::string> log;
    std::vector<ScriptFailure> failures;
    std::vector<RunReport> reports; // one per ended run
    int runsBegun = 0;
    bool executingSeen = false;
    bool working = false;

    void beginRun() override { ++runsBegun; }
    bool busy() const override { return working; }
    void endRun(const RunReport &report) override { reports.push_back(report); }

    CallOutcome runCall(const ActionCall &call) override
    {
        executingSeen = scripts->Executing();
        const std::string name(call.action->name);
        if (disabled.count(name))
            return CallOutcome::Skipped;
        log.push_back(call.parameter.empty() ? name : name + "=" + call.parameter);
        if (name == kActionLaunchScript) {
            auto outcome = scripts->RunScriptFile(call.parameter);
            if (!outcome)
                failures.push_back(outcome.error());
        }
        if (call.parameter == "abort") {
            scripts->StopScript();
            EXPECT_TRUE(scripts->stopRequested());
        }
        if (call.parameter == "work")
            working = true;
        return CallOutcome::Ran;
    }
};

class ScriptRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        runner.scripts = &scripts;
    }

    fs::path write(const std::string &name, const std::string &text)
    {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::string launch(const fs::path &path) { return "saOuvrirScript=" + path.string(); }

    // The report of the one run that has ended.
    RunReport report()
    {
        EXPECT_EQ(runner.reports.size(), 1u);
        return runner.reports.empty() ? RunReport{} : runner.reports.back();
    }

    // The work of the last call ends: the host calls Continue after its end event.
    void endWork()
    {
        runner.working = false;
        scripts.Continue();
    }

    fs::path dir;
    FakeRunner runner;
    ScriptRunner scripts{runner};
};

TEST_F(ScriptRunnerTest, RunsTheLinesInOrderSkippingWhatNamesNoAction)
{
    const fs::path script = write("a.txt", "openfolder=D:\\dv\r\n\r\nselectall\r\n# comment\r\nbogus line\r\n"
                                           "createscnbydate\r\nshowlist=false\r\nquit\r\n");
    const auto started = scripts.RunScriptFile(script);
    ASSERT_TRUE(started.ok());
    EXPECT_EQ(started.value(), 5u);
    EXPECT_EQ(report().ran, 5u);
    EXPECT_FALSE(report().stopped);
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saOuvrirunDossier=D:\\dv", "saSelectionnerTout",
                                                    "ccCreerScnByDate", "taBasculerListe=false", "saQuitter"}));
    EXPECT_TRUE(runner.executingSeen);
    EXPECT_FALSE(scripts.Executing());
}

TEST_F(ScriptRunnerTest, DisabledActionsAreSkippedAndTheScriptGoesOn)
{
    runner.disabled = {"ccRenommer"};
    ASSERT_TRUE(scripts.RunScriptFile(write("a.txt", "selectall\nrename\nquit\n")).ok());
    EXPECT_EQ(report().ran, 2u);
    EXPECT_EQ(report().skipped, 1u);
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saSelectionnerTout", "saQuitter"}));
}

TEST_F(ScriptRunnerTest, NestedScriptRunsCompletelyBeforeTheOuterGoesOn)
{
    const fs::path inner = write("inner.txt", "rename\nshowlist=false\n");
    const fs::path outer = write("outer.txt", "selectall\nopenscript=" + inner.string() + "\nquit\n");
    ASSERT_TRUE(scripts.RunScriptFile(outer).ok());
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saSelectionnerTout", launch(inner), "ccRenommer",
                                                    "taBasculerListe=false", "saQuitter"}));
    EXPECT_TRUE(runner.failures.empty());
    EXPECT_EQ(runner.runsBegun, 1);
}

TEST_F(ScriptRunnerTest, TheSameScriptMayRunTwiceOneAfterTheOther)
{
    const fs::path inner = write("inner.txt", "rename\n");
    const fs::path outer = write("outer.txt", "openscript=" + inner.string() + "\nos=" + inner.string() + "\n");
    ASSERT_TRUE(scripts.RunScriptFile(outer).ok());
    EXPECT_EQ(runner.log, (std::vector<std::string>{launch(inner), "ccRenommer", launch(inner), "ccRenommer"}));
    EXPECT_TRUE(runner.failures.empty());
}

TEST_F(ScriptRunnerTest, ScriptLaunchingItselfIsRefusedAndGoesOn)
{
    const fs::path self = dir / "self.txt";
    write("self.txt", "selectall\nopenscript=" + self.string() + "\nquit\n");
    ASSERT_TRUE(scripts.RunScriptFile(self).ok());
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saSelectionnerTout", launch(self), "saQuitter"}));
    ASSERT_EQ(runner.failures.size(), 1u);
    EXPECT_EQ(runner.failures[0].code, ScriptError::AlreadyRunning);
    EXPECT_NE(runner.failures[0].message.find(self.string()), std::string::npos);
    EXPECT_NE(runner.failures[0].message.find("running already"), std::string::npos);
}

TEST_F(ScriptRunnerTest, ScriptLaunchingItselfThroughAnotherIsRefused)
{
    const fs::path a = dir / "a.txt";
    const fs::path b = dir / "b.txt";
    write("a.txt", "selectall\nopenscript=" + b.string() + "\nquit\n");
    write("b.txt", "rename\nopenscript=" + a.string() + "\nshowlist=false\n");
    ASSERT_TRUE(scripts.RunScriptFile(a).ok());
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saSelectionnerTout", launch(b), "ccRenommer", launch(a),
                                                    "taBasculerListe=false", "saQuitter"}));
    ASSERT_EQ(runner.failures.size(), 1u);
    EXPECT_EQ(runner.failures[0].code, ScriptError::AlreadyRunning);
    // The message shows the chain that would have closed the loop.
    EXPECT_NE(runner.failures[0].message.find(b.string()), std::string::npos);
}

TEST_F(ScriptRunnerTest, AnotherNameOfTheRunningScriptIsRefusedToo)
{
    const fs::path script = dir / "s.txt";
    fs::create_symlink(script, dir / "link.txt");
    const fs::path viaDot = dir / "." / "s.txt";
    write("s.txt", "openscript=" + (dir / "link.txt").string() + "\nopenscript=" + viaDot.string() + "\nquit\n");
    ASSERT_TRUE(scripts.RunScriptFile(script).ok());
    EXPECT_EQ(runner.failures.size(), 2u);
    EXPECT_EQ(runner.log.back(), "saQuitter");
}

TEST_F(ScriptRunnerTest, StopEndsTheScriptAtOnceAndEveryScriptAroundIt)
{
    const fs::path inner = write("inner.txt", "rename=abort\nshowlist=false\n");
    const fs::path outer = write("outer.txt", "selectall\nopenscript=" + inner.string() + "\nquit\n");
    ASSERT_TRUE(scripts.RunScriptFile(outer).ok());
    EXPECT_TRUE(report().stopped);
    EXPECT_FALSE(scripts.Executing());
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saSelectionnerTout", launch(inner), "ccRenommer=abort"}));

    // The next run starts afresh.
    runner.log.clear();
    runner.reports.clear();
    ASSERT_TRUE(scripts.RunScriptFile(write("next.txt", "quit\n")).ok());
    EXPECT_FALSE(report().stopped);
    EXPECT_EQ(runner.log, std::vector<std::string>{"saQuitter"});
}

TEST_F(ScriptRunnerTest, CommandLineCallsLaunchAScriptLikeAnyOtherCall)
{
    const fs::path script = write("s.txt", "rename\n");
    const std::vector<ActionCall> calls = {{FindActionByName("saOuvrirScript"), CallMode::Toggle, script.string()},
                                           {FindActionByName("saQuitter"), CallMode::Toggle, ""}};
    scripts.RunCalls(calls);
    // The run counts the calls of the script it launched too.
    EXPECT_EQ(report().ran, 3u);
    EXPECT_EQ(runner.log, (std::vector<std::string>{launch(script), "ccRenommer", "saQuitter"}));
}

TEST_F(ScriptRunnerTest, EachCallWaitsForTheWorkOfTheOneBeforeWithoutBlocking)
{
    const fs::path inner = write("inner.txt", "rename=work\nshowlist=false\n");
    const fs::path outer = write("outer.txt", "openfolder=work\nopenscript=" + inner.string() + "\nselectall\nquit\n");
    // Returns while the opening runs; nothing else has run.
    ASSERT_TRUE(scripts.RunScriptFile(outer).ok());
    EXPECT_TRUE(scripts.Executing());
    EXPECT_EQ(runner.log, std::vector<std::string>{"saOuvrirunDossier=work"});

    // A Continue while the work still runs changes nothing.
    scripts.Continue();
    EXPECT_EQ(runner.log.size(), 1u);

    // The opening ends: the nested script runs up to its command, which works in turn.
    endWork();
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saOuvrirunDossier=work", launch(inner), "ccRenommer=work"}));
    EXPECT_TRUE(runner.reports.empty());

    endWork();
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saOuvrirunDossier=work", launch(inner), "ccRenommer=work",
                                                    "taBasculerListe=false", "saSelectionnerTout", "saQuitter"}));
    EXPECT_FALSE(scripts.Executing());
    EXPECT_EQ(report().ran, 6u);
    EXPECT_EQ(runner.runsBegun, 1);
}

TEST_F(ScriptRunnerTest, AStopWhileTheWorkRunsEndsTheRunAtTheNextContinue)
{
    ASSERT_TRUE(scripts.RunScriptFile(write("s.txt", "rename=work\nquit\n")).ok());
    scripts.StopScript(); // "Abort": the command goes on with its next file
    scripts.Continue();
    EXPECT_FALSE(scripts.Executing());
    EXPECT_TRUE(report().stopped);
    EXPECT_EQ(runner.log, std::vector<std::string>{"ccRenommer=work"});

    // The end of the work finds no run to go on with.
    endWork();
    EXPECT_EQ(runner.log, std::vector<std::string>{"ccRenommer=work"});
    EXPECT_EQ(runner.reports.size(), 1u);
}

TEST_F(ScriptRunnerTest, CallsGivenWhileARunWaitsRunNextThenTheRestGoesOn)
{
    ASSERT_TRUE(scripts.RunScriptFile(write("s.txt", "openfolder=work\nquit\n")).ok());
    // A script launched from the menu while the first one waits.
    const fs::path other = write("other.txt", "selectall\n");
    ASSERT_TRUE(scripts.RunScriptFile(other).ok());
    EXPECT_EQ(runner.log, std::vector<std::string>{"saOuvrirunDossier=work"});
    endWork();
    EXPECT_EQ(runner.log, (std::vector<std::string>{"saOuvrirunDossier=work", "saSelectionnerTout", "saQuitter"}));
    EXPECT_EQ(report().ran, 3u);
    EXPECT_EQ(runner.runsBegun, 1);
}

TEST_F(ScriptRunnerTest, FilesThatCannotBeRunAreReportedAndRunNothing)
{
    struct Case {
        fs::path path;
        ScriptError code;
    };
    fs::create_directory(dir / "folder.txt");
    std::string big(kMaxScriptBytes + 1, '\n');
    big.replace(0, 5, "quit\n");
    const Case cases[] = {
        {dir / "missing.txt", ScriptError::Missing},    {dir / "no" / "such" / "folder.txt", ScriptError::Missing},
        {dir / "folder.txt", ScriptError::NotAFile},    {"/dev/null", ScriptError::NotAFile},
        {write("big.txt", big), ScriptError::TooLarge},
    };
    for (const Case &c : cases) {
        const auto outcome = scripts.RunScriptFile(c.path);
        ASSERT_FALSE(outcome.ok()) << c.path;
        EXPECT_EQ(outcome.error().code, c.code) << c.path;
        EXPECT_NE(outcome.error().message.find(c.path.string()), std::string::npos);
    }
    EXPECT_TRUE(runner.log.empty());
    EXPECT_FALSE(scripts.Executing());
}

TEST_F(ScriptRunnerTest, FileThatFailsWhileReadingIsUnreadable)
{
    // Reading this file from its start fails with an I/O error, for any user.
    const auto outcome = scripts.RunScriptFile("/proc/self/mem");
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.error().code, ScriptError::Unreadable);
}

TEST_F(ScriptRunnerTest, ScriptTextEncodings)
{
    struct Case {
        const char *name;
        std::string bytes;
        const char *expectedFolder;
    };
    // "openfolder=/v/é\nquit" in UTF-16 little-endian with its mark, CR LF line ends.
    std::string utf16 = "\xFF\xFE";
    for (char16_t unit : std::u16string(u"openfolder=/v/\u00E9\r\nquit\r\n")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    const Case cases[] = {
        {"utf8.txt", "openfolder=/v/\xC3\xA9\nquit", "/v/\xC3\xA9"},
        {"utf8bom.txt", "\xEF\xBB\xBFopenfolder=/v/\xC3\xA9\nquit", "/v/\xC3\xA9"},
        {"ansi.txt", "openfolder=/v/\xE9\rquit\r", "/v/\xC3\xA9"},
        {"utf16.txt", utf16, "/v/\xC3\xA9"},
    };
    for (const Case &c : cases) {
        runner.log.clear();
        ASSERT_TRUE(scripts.RunScriptFile(write(c.name, c.bytes)).ok()) << c.name;
        EXPECT_EQ(runner.log,
                  (std::vector<std::string>{std::string("saOuvrirunDossier=") + c.expectedFolder, "saQuitter"}))
            << c.name;
    }
}

TEST(ScriptFile, LineEnds)
{
    const fs::path dir = test::scratchDir("ScriptFileLineEnds");
    std::ofstream(dir / "s.txt", std::ios::binary) << "a\r\nb\rc\n\nd";
    const auto lines = ReadScriptLines(dir / "s.txt");
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(lines.value(), (std::vector<std::string>{"a", "b", "c", "", "d"}));
}

} // namespace
} // namespace camlog::ui
