// The session without a window: its calls never block the host's thread, they go on at the end
// of the work each one started; the host hears questions, messages, the gauge and the notes.
#include "headless/session/session.h"

#include "core/format.h"
#include "core/list_files.h"
#include "headless/actions/action_catalogue.h"
#include "headless/list/queue_dispatcher.h"
#include "headless/session/run_outcome_text.h"
#include "media/decoding/avi_probe.h"
#include "support/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace camlog::session {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A host over a queue that the test serves, recording what the session tells it.
class RecordingHost : public SessionHost {
public:
    void post(std::function<void()> task) override { queue.runOnOwnerThread(std::move(task)); }
    engine::TAnswer askQuestion(const std::string &text, engine::TQuestionButtons) override
    {
        log.push_back("ask " + text);
        return engine::TAnswer::Yes;
    }
    void commandMessage(const std::string &text) override { log.push_back("msg " + text); }
    void commandError(const std::string &text) override { log.push_back("error " + text); }
    void startProgress(int maximum) override { log.push_back("progress " + std::to_string(maximum)); }
    void setProgress(int) override {}
    void endProgress() override {}
    void note(NoteKind kind, const std::string &text) override
    {
        if (kind == NoteKind::RunEnd)
            runEnds.push_back(text);
        else
            log.push_back((kind == NoteKind::Status ? "status " : "note ") + text);
    }
    void report(ReportKind, const std::string &text) override { log.push_back("report " + text); }

    bool serveUntil(const std::function<bool()> &done) { return queue.runUntil(done, 60s); }

    ui::QueueDispatcher queue;
    std::vector<std::string> log;
    std::vector<std::string> runEnds; // what each run did, as the status bar says it
};

class SessionTest : public ::testing::Test {
protected:
    SessionTest()
    {
        command.Nombre = engine::fnNone;
        binding.commandFor = [this](std::string_view action) -> engine::tCustomCmd * {
            return action == "ccVisitHomepage" ? &command : nullptr;
        };
    }
    ~SessionTest() override
    {
        if (session)
            host.serveUntil([this] { return session->idle(); });
    }

    Session &make()
    {
        session = std::make_unique<Session>(host, settings, core::AviFileContext{&prober}, binding,
                                            ProgramIdentity{"Camlog 0.1.0En", "https://example.org"});
        return *session;
    }

    static std::vector<ui::ActionCall> Calls(const std::vector<std::string> &words)
    {
        std::vector<ui::ActionCall> calls;
        for (const auto &word : words) {
            calls.push_back({ui::FindAction(word), ui::CallMode::Toggle, ""});
            EXPECT_NE(calls.back().action, nullptr) << word;
        }
        return calls;
    }

    media::AviProber prober;
    prefs::Settings settings;
    engine::tCustomCmd command;
    CommandBinding binding;
    RecordingHost host;
    std::unique_ptr<Session> session;
};

TEST_F(SessionTest, CallsReturnAtOnceAndGoOnAtTheEndOfEachRun)
{
    // Each run waits until the test lets it end; a run that waited in vain says so.
    std::promise<void> firstMayEnd;
    std::shared_future<void> mayEnd = firstMayEnd.get_future().share();
    int executions = 0;
    bool waitedInVain = false;
    command.OnExecution = [&](core::TaviFichier *, const engine::TParams &, engine::TCommandEngine &ce, int) {
        ++executions;
        if (executions == 1)
            waitedInVain = mayEnd.wait_for(30s) != std::future_status::ready;
        ce.MessageCommand("run " + std::to_string(executions));
    };
    Session &s = make();
    std::vector<ui::RunReport> reports;
    s.OnCallsEnded = [&](const ui::RunReport &report) {
        reports.push_back(report);
    };

    s.runCalls(Calls({"homepage", "homepage"}));
    // The host's thread is back while the first run works; the second call waits for its end.
    EXPECT_TRUE(s.busy());
    EXPECT_TRUE(s.scripts().Executing());
    EXPECT_TRUE(reports.empty());
    firstMayEnd.set_value();
    ASSERT_TRUE(host.serveUntil([&] { return s.idle(); }));
    EXPECT_FALSE(waitedInVain);
    EXPECT_EQ(executions, 2);
    EXPECT_THAT(host.log, ElementsAre("msg run 1", "msg run 2"));
    EXPECT_THAT(host.runEnds, ElementsAre("Visit the homepage of Camlog: done", "Visit the homepage of Camlog: done"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].ran, 2u);
}

TEST_F(SessionTest, AScriptWaitsForTheOpeningOfTheListThenRunsOnTheOpenedFiles)
{
    const auto dir = test::scratchDir("session_opening");
    std::filesystem::create_symlink(test::fixturePath("tape_three-type1.avi"), dir / "tape.avi");
    Session &s = make();
    const std::vector<ui::ActionCall> calls = {{ui::FindAction("openfolder"), ui::CallMode::None, dir.string()},
                                               {ui::FindAction("selectall"), ui::CallMode::None, ""},
                                               {ui::FindActionByName("saDureeTotale"), ui::CallMode::None, ""}};
    s.runCalls(calls);
    EXPECT_TRUE(s.list().Opening());
    ASSERT_TRUE(host.serveUntil([&] { return s.idle(); }));
    EXPECT_EQ(s.list().Count(), 1);
    EXPECT_EQ(s.list().SelCount(), 1);
    // The total duration was taken once the file was in the list and selected.
    const std::string duration = core::FormatDurationMs(s.list().GetFile(0)->Duration);
    ASSERT_NE(duration, core::FormatDurationMs(0));
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log.back(), "report Duration of selected videos  = " + duration
                                   + "\n\nTotal duration of all videos listed = " + duration);
    EXPECT_FALSE(s.outcome().failed);
}

TEST_F(SessionTest, AbortAllStopsTheCallsWhileARunWaitsForAnAnswer)
{
    int executions = 0;
    command.OnExecution = [&](core::TaviFichier *, const engine::TParams &, engine::TCommandEngine &ce, int) {
        ++executions;
        ce.AskQuestion("Go on?", engine::TQuestionButtons::YesNoCancel);
    };
    Session &s = make();
    std::vector<ui::RunReport> reports;
    s.OnCallsEnded = [&](const ui::RunReport &report) {
        reports.push_back(report);
    };
    s.runCalls(Calls({"homepage", "homepage", "homepage"}));
    // "Abort all" from the keyboard while the first run asks its question.
    ASSERT_TRUE(host.serveUntil([&] { return !host.log.empty(); }));
    s.actions().find("saInterrompreTous")->CallHandler(ui::ActionSender::Action);
    ASSERT_TRUE(host.serveUntil([&] { return s.idle(); }));
    EXPECT_EQ(executions, 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].stopped);
}

TEST_F(SessionTest, TheRunsFileEventsReachTheCommandModule)
{
    std::vector<std::string> events;
    binding.startFichier = [&](core::TaviFichier *f) {
        events.push_back("start " + f->FileName);
    };
    binding.endFichier = [&](core::TaviFichier *f) {
        events.push_back("end " + f->FileName);
    };
    command.Nombre = engine::fnSingle;
    const auto dir = test::scratchDir("session_file_events");
    std::filesystem::create_symlink(test::fixturePath("tape_three-type1.avi"), dir / "tape.avi");
    Session &s = make();
    std::vector<ui::ActionCall> calls = Calls({"homepage"});
    calls.insert(calls.begin(), ui::ActionCall{ui::FindAction("openfolder"), ui::CallMode::None, dir.string()});
    s.runCalls(calls);
    ASSERT_TRUE(host.serveUntil([&] { return s.idle(); }));
    EXPECT_THAT(events, ElementsAre("start tape.avi", "end tape.avi"));
}

TEST_F(SessionTest, TheCommandLineRunsItsCallsOrRestoresThePreviousList)
{
    const auto dir = test::scratchDir("session_command_line");
    std::filesystem::create_symlink(test::fixturePath("tape_three-type1.avi"), dir / "tape.avi");
    std::ofstream(dir / "PlayList.txt") << (dir / "tape.avi").string() << "\n";
    settings.saveListWhenQuit = true;
    settings.dossierPlayList = dir.string();

    // Calls: they run, and the list is not restored.
    int executions = 0;
    command.OnExecution = [&](core::TaviFichier *, const engine::TParams &, engine::TCommandEngine &, int) {
        ++executions;
    };
    Session &s = make();
    EXPECT_TRUE(s.runCommandLine(std::vector<std::string>{"/nosuchword", "/homepage"}));
    ASSERT_TRUE(host.serveUntil([&] { return s.idle(); }));
    EXPECT_EQ(executions, 1);
    EXPECT_EQ(s.list().Count(), 0);
    EXPECT_THAT(host.log, ElementsAre("note argument \"/nosuchword\" names no action"));

    // None: the previous session's list comes back.
    host.log.clear();
    EXPECT_FALSE(s.runCommandLine({}));
    ASSERT_TRUE(host.serveUntil([&] { return s.idle(); }));
    EXPECT_EQ(s.list().Count(), 1);
    EXPECT_THAT(host.log, ElementsAre("status Restoring the files from the previous session"));
}

// Every way into the list takes raw DV streams (.dv, .dif, any case) beside the AVI files, and
// builds the same file object as the listing mode builds for the path.
TEST_F(SessionTest, EveryWayIntoTheListTakesRawDvBesideAvi)
{
    const auto dir = test::scratchDir("session_raw_dv");
    std::filesystem::create_symlink(test::fixturePath("tape_three-type1.avi"), dir / "tape.avi");
    std::filesystem::create_symlink(test::fixturePath("pal_4x3_48k.dv"), dir / "pal.dv");
    std::filesystem::create_symlink(test::fixturePath("ntsc_4x3_48k.dv"), dir / "ntsc.DIF");
    std::ofstream(dir / "notes.txt") << "not a video\n";
    const std::vector<std::string> videos = {(dir / "ntsc.DIF").string(), (dir / "pal.dv").string(),
                                             (dir / "tape.avi").string()};
    const auto openFolder = [&](Session &s) {
        s.runCalls(std::vector{ui::ActionCall{ui::FindAction("openfolder"), ui::CallMode::None, dir.string()}});
    };
    const auto open = [&](Session &s) {
        s.list().OpenPaths(videos);
    };
    const auto paste = [&](Session &s) {
        s.list().PasteFiles(videos);
    };
    const auto drop = [&](Session &s) {
        s.list().OpenDropped({dir.string()});
    };
    const auto commandLine = [&](Session &s) {
        s.runCommandLine(videos);
    };
    const struct {
        const char *way;
        std::function<void(Session &)> openThem;
    } ways[] = {
        {"folder", openFolder}, {"Open", open}, {"paste", paste}, {"drop", drop}, {"command line", commandLine}};
    for (const auto &way : ways) {
        SCOPED_TRACE(way.way);
        // A session of its own for each way, over a host of its own.
        RecordingHost wayHost;
        Session s(wayHost, settings, core::AviFileContext{&prober}, binding,
                  ProgramIdentity{"Camlog 0.1.0En", "https://example.org"});
        way.openThem(s);
        ASSERT_TRUE(wayHost.serveUntil([&] { return s.idle(); }));
        ASSERT_EQ(s.list().Count(), 3) << ::testing::PrintToString(wayHost.log);
        for (int i = 0; i < s.list().Count(); ++i) {
            const core::TaviFichier &listed = *s.list().GetFile(i);
            SCOPED_TRACE(listed.FullPath);
            const auto alone = core::TaviFichier::Create(listed.FullPath, core::AviFileContext{&prober});
            EXPECT_TRUE(listed.IsDV);
            EXPECT_EQ(listed.IsDV, alone->IsDV);
            EXPECT_EQ(listed.FileType, alone->FileType);
            EXPECT_EQ(listed.Duration, alone->Duration);
            EXPECT_EQ(listed.FrameCount, alone->FrameCount);
            EXPECT_EQ(listed.DatecodeKey, alone->DatecodeKey);
            EXPECT_EQ(listed.TimecodeText, alone->TimecodeText);
            EXPECT_EQ(listed.AudioText, alone->AudioText);
            EXPECT_EQ(listed.FileSize(), alone->FileSize());
        }
    }
}

// The list saved at quit replaces the previous session's default playlist without a question;
// "Save the list as..." over an existing file asks once.
TEST_F(SessionTest, TheDefaultPlaylistIsReplacedWithoutAQuestionAndSaveAsAsksOnce)
{
    const auto dir = test::scratchDir("session_default_playlist");
    std::filesystem::create_symlink(test::fixturePath("tape_three-type1.avi"), dir / "tape.avi");
    settings.dossierPlayList = dir.string();
    Session &s = make();
    s.list().OpenPaths({(dir / "tape.avi").string()});
    ASSERT_TRUE(host.serveUntil([&] { return s.idle(); }));
    s.list().PreferredPlayList = (dir / "PlayList.txt").string();
    for (int quit = 0; quit < 2; ++quit) {
        s.saveDefaultPlaylist();
        const auto lines = core::ReadPlaylist(dir / "PlayList.txt");
        ASSERT_TRUE(lines);
        EXPECT_THAT(lines.value(), ElementsAre((dir / "tape.avi").string()));
    }
    EXPECT_THAT(host.log, ::testing::IsEmpty());

    s.runCalls(
        std::vector{ui::ActionCall{ui::FindAction("savelist"), ui::CallMode::None, (dir / "PlayList.txt").string()}});
    ASSERT_TRUE(host.serveUntil([&] { return s.idle(); }));
    EXPECT_THAT(host.log,
                ElementsAre("ask Do you really want to delete the existing file " + (dir / "PlayList.txt").string()));
}

// What a run did, as the status bar says it after the run.
TEST(RunOutcomeText, SaysWhatTheRunDidAndWhatItKept)
{
    using engine::RunEnd;
    const auto run = [](int done, int stopped, int skipped, int failed, RunEnd ending,
                        std::vector<std::string> notes = {}) {
        engine::RunSummary summary;
        summary.doneFiles = done;
        summary.stoppedFiles = stopped;
        summary.skippedFiles = skipped;
        summary.failedFiles = failed;
        summary.failedPasses = failed;
        summary.ending = ending;
        summary.notes = std::move(notes);
        return summary;
    };
    const struct {
        engine::RunSummary run;
        bool tookFiles;
        const char *text;
    } cases[] = {
        {run(4, 0, 1, 0, RunEnd::Completed), true, "Rename: 4 files done, 1 skipped"},
        {run(1, 0, 0, 0, RunEnd::Completed), true, "Rename: 1 file done"},
        {run(0, 0, 4, 0, RunEnd::Completed), true, "Rename: 0 files done, 4 skipped"},
        {run(2, 0, 0, 1, RunEnd::Completed), true, "Rename: 2 files done, 1 failed"},
        {run(0, 0, 1, 0, RunEnd::Cancelled), true, "Rename: 0 files done, 1 skipped, cancelled"},
        {run(0, 1, 0, 0, RunEnd::Completed, {"/v/clip_type2.avi kept: 2 min 39 s of 6 min 00 s"}), true,
         "Rename: 0 files done, 1 stopped; /v/clip_type2.avi kept: 2 min 39 s of 6 min 00 s"},
        {run(1, 0, 0, 0, RunEnd::AbortedAll), true, "Rename: 1 file done, stopped"},
        {run(0, 0, 0, 0, RunEnd::Completed), false, "Rename: done"},
        {run(0, 0, 0, 1, RunEnd::Completed), false, "Rename: failed"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RunOutcomeText("Rename", c.run, c.tookFiles), c.text);
}

} // namespace
} // namespace camlog::session
