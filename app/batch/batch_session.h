// One batch run: the file list, the engine, the actions and the script runner of the window,
// served by the main thread without a window.
#pragma once

#include "app/batch/batch_host.h"
#include "app/batch/command_conditions.h"
#include "app/batch/headless_actions.h"
#include "app/batch/progress_bar.h"
#include "app/batch/terminal_questions.h"
#include "core/avi_fichier.h"
#include "engine/command_engine.h"
#include "prefs/settings.h"
#include "ui/actions/action_list.h"
#include "ui/actions/action_list_runner.h"
#include "ui/actions/script_runner.h"
#include "ui/list/file_list_model.h"
#include "ui/list/queue_dispatcher.h"

#include <cstdio>
#include <span>

namespace camlog::app {

struct BatchStreams {
    std::FILE *in = stdin;
    std::FILE *out = stdout;
    std::FILE *err = stderr;
    bool inIsTerminal = false;
    bool errIsTerminal = false;
};

class BatchSession {
public:
    // context: how file objects are built (prober, display pattern); it must outlive the session.
    // commands: the command module's actions; its commands must outlive the session.
    BatchSession(const prefs::Settings &settings, AnswerRule rule, const BatchStreams &streams,
                 const core::FichierContext &context, CommandBinding commands, ProgramIdentity identity);
    // Serves the hand-offs of a run still in progress, then stops the openings.
    ~BatchSession();
    BatchSession(const BatchSession &) = delete;
    BatchSession &operator=(const BatchSession &) = delete;

    // Runs the calls in order, each to the end of its work, then waits for what is still running.
    // Returns whether every call went well (no failed file, no failed list action).
    bool run(std::span<const ui::ActionCall> calls);

    // Stops the run as "Abort all" does: the calls, the openings and the command (a command
    // writing a file finishes it up to where it stopped). Safe from any thread.
    void interrupt();

    BatchConsole &console() { return m_console; }
    BatchOutcome &outcome() { return m_outcome; }

private:
    // Runs one call on the action list and says so when the action is disabled at its turn.
    class NotingRunner : public ui::ActionRunner {
    public:
        NotingRunner(BatchSession &session, ui::RunnerHooks hooks);
        void beginRun() override { m_inner.beginRun(); }
        ui::CallOutcome runCall(const ui::ActionCall &call, const std::atomic<bool> &stop) override;

    private:
        BatchSession &m_session;
        ui::ActionListRunner m_inner;
    };

    void wireList(const prefs::Settings &settings);
    void refreshActions();
    bool idle() const;

    ui::QueueDispatcher m_dispatcher;
    ProgressBar m_bar;
    BatchConsole m_console;
    TerminalQuestions m_questions;
    BatchHost m_host;
    BatchOutcome m_outcome;
    CommandBinding m_commands;
    ui::FileListModel m_list;
    engine::TCommandEngine m_engine;
    ListCommandConditions m_conditions;
    ui::ActionList m_actions;
    NotingRunner m_runner;
    ui::ScriptRunner m_scripts;
    HeadlessActions m_handlers;
};

} // namespace camlog::app
