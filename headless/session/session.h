// One session of the program without its host: the file list, the command engine, the action
// list with its handlers, the script runner and the command module's conditions. The window and
// the batch mode are two hosts of it: each supplies a SessionHost (questions, messages, gauge,
// the hand-off to its thread) and shows the list and the actions its own way.
#pragma once

#include "core/avi_fichier.h"
#include "engine/command_engine.h"
#include "engine/engine_host.h"
#include "headless/actions/action_list.h"
#include "headless/actions/action_list_runner.h"
#include "headless/actions/action_refresh.h"
#include "headless/actions/script_runner.h"
#include "headless/list/file_list_model.h"
#include "headless/session/command_binding.h"
#include "headless/session/command_conditions.h"
#include "headless/session/program_identity.h"
#include "headless/session/session_actions.h"
#include "headless/session/session_host.h"
#include "prefs/settings.h"

#include <functional>
#include <span>

namespace camlog::session {

// Everything runs on the host thread, except where a member says otherwise.
class Session : private engine::EngineHost {
public:
    // context: how file objects are built (prober, display pattern); it must outlive the session.
    // commands: the command module's actions; its commands must outlive the session.
    Session(SessionHost &host, const prefs::Settings &settings, const core::AviFileContext &context,
            CommandBinding commands, ProgramIdentity identity);
    // The host must have served its posted tasks until the engine has stopped (busy() false, or
    // after interrupt(), until the end of the run); the openings are stopped here.
    ~Session() override;
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    ui::FileListModel &list() { return m_list; }
    const ui::FileListModel &list() const { return m_list; }
    engine::TCommandEngine &engine() { return m_engine; }
    ui::ActionList &actions() { return m_actions; }
    ui::ScriptRunner &scripts() { return m_scripts; }
    const SessionOutcome &outcome() const { return m_outcome; }

    // Runs the calls in order (a command line, a script's lines), each after the work of the one
    // before has ended, and returns as soon as a call's work is running: the next calls follow
    // from the host's loop, on the end of that work. Disabled actions are skipped with a note.
    // OnCallsEnded tells when the last one has run.
    void runCalls(std::span<const ui::ActionCall> calls);
    // The program's command line, at the window's first activation: its arguments run as
    // runCalls runs them (a word that names no action is noted and left out). Without any call,
    // the previous session's list is restored when "Save list when quit" is on. Returns whether
    // the arguments held calls.
    bool runCommandLine(std::span<const std::string> args);
    // The host's own work (SessionHost::hostBusy) has ended: the calls go on. Host thread.
    void hostWorkEnded();
    // Stops the running calls (a script, a command line); the command or opening they started
    // goes on. Host thread.
    void stopCalls();

    // The busy flag: a command runs, the list is loading or the host is busy. Raised as soon as a run or an opening
    // is accepted.
    bool busy() const;
    // Nothing runs: no command, no opening, no calls.
    bool idle() const;

    // The panels the host shows (the about and settings panels hide actions); the empty-list
    // panel follows the list.
    void setPanels(const ui::PanelState &panels) { m_panels = panels; }
    // Sets every action's visible and enabled state from the list, the panels and the commands.
    void refreshActions();

    // Writes the list to the default playlist without a question ("Save list when quit").
    void saveDefaultPlaylist() { m_handlers.saveDefaultPlaylist(); }

    // Stops everything as "Abort all" does (the calls, the openings, the command; a command
    // writing a file finishes it up to where it stopped) and marks the outcome failed. Safe from
    // any thread.
    void interrupt();

    // ---- Events for the host (host thread) ------------------------------------------------
    std::function<void()> OnCommandStart;
    // A run has ended (the engine's LastRun is final).
    std::function<void()> OnCommandEnd;
    // "Quit" ran; the calls after it do not run.
    std::function<void()> OnQuit;
    // An opening of the list started, or ended having opened nb files.
    std::function<void()> OnOpenStart;
    std::function<void(int nb)> OnOpenEnd;
    // The calls of runCalls (or of a script launched outside them) have all run, or were stopped.
    std::function<void(const ui::RunReport &report)> OnCallsEnded;

private:
    class Dispatcher : public ui::ListDispatcher {
    public:
        explicit Dispatcher(SessionHost &host) : m_host(host) {}
        void runOnOwnerThread(std::function<void()> task) override { m_host.post(std::move(task)); }

    private:
        SessionHost &m_host;
    };

    // Runs one call on the action list and says so when the action is disabled at its turn.
    class NotingRunner : public ui::ActionRunner {
    public:
        NotingRunner(Session &session, ui::RunnerHooks hooks);
        ui::CallOutcome runCall(const ui::ActionCall &call) override;
        bool busy() const override { return m_inner.busy(); }
        void endRun(const ui::RunReport &report) override { m_inner.endRun(report); }

    private:
        Session &m_session;
        ui::ActionListRunner m_inner;
    };

    // engine::EngineHost
    void runOnHostThread(std::function<void()> task) override;
    void OnStartCommand() override;
    void OnEndCommand() override;
    void OnStartFichier(core::TaviFichier *aFichier, const engine::TParams &aParams, int passe) override;
    void OnEndFichier(core::TaviFichier *aFichier, const engine::TParams &aParams, int passe) override;
    void OnMessageCommand(const std::string &aMsg) override;
    void OnErrorCommand(const std::string &aMsg, engine::TErrorType aErrorType) override;
    void OnStartProgress(int progress) override;
    void OnSetProgress(int progress) override;
    void OnEndProgress() override;
    engine::TAnswer AskQuestion(const std::string &text, engine::TQuestionButtons buttons) override;

    void wireList(const prefs::Settings &settings);
    // Lets the calls go on from the host's loop once the current task has returned.
    void continueCallsLater();

    SessionHost &m_host;
    Dispatcher m_dispatcher;
    SessionOutcome m_outcome;
    CommandBinding m_commands;
    ui::PanelState m_panels;
    bool m_restoreList = false; // "Save list when quit"
    ui::FileListModel m_list;
    engine::TCommandEngine m_engine;
    ListCommandConditions m_conditions;
    ui::ActionList m_actions;
    NotingRunner m_runner;
    ui::ScriptRunner m_scripts;
    SessionActions m_handlers;
};

} // namespace camlog::session
