// One session over the list, the engine and the actions.
#include "headless/session/session.h"

#include "core/video_file_name.h"
#include "headless/actions/command_line.h"
#include "headless/session/run_outcome_text.h"
#include "prefs/settings_io.h"

#include <exception>
#include <filesystem>
#include <future>

namespace camlog::session {

Session::NotingRunner::NotingRunner(Session &session, ui::RunnerHooks hooks)
    : m_session(session),
      m_inner(session.m_actions, std::move(hooks))
{
}

ui::CallOutcome Session::NotingRunner::runCall(const ui::ActionCall &call)
{
    const ui::CallOutcome outcome = m_inner.runCall(call);
    if (outcome == ui::CallOutcome::Skipped) {
        const auto &action = m_session.m_actions.at(*call.action);
        m_session.m_host.note(NoteKind::Warning,
                              "\"" + ActionCaption(action) + "\" skipped: not available for the list now");
    }
    return outcome;
}

Session::Session(SessionHost &host, const prefs::Settings &settings, const core::AviFileContext &context,
                 CommandBinding commands, ProgramIdentity identity)
    : m_host(host),
      m_dispatcher(host),
      m_commands(std::move(commands)),
      m_list(m_dispatcher, ui::TaviFichierFactory(context), ui::ProbeAnnouncer(context)),
      m_engine(*this, m_list,
               [context](const std::string &fullPath) -> engine::AviFilePtr {
                   return core::TaviFichier::Create(fullPath, context);
               }),
      m_conditions(m_commands, m_list, m_engine),
      m_runner(*this, ui::RunnerHooks{[this] { refreshActions(); }, [this] { return busy(); },
                                      [this](const ui::RunReport &report) {
                                          if (OnCallsEnded)
                                              OnCallsEnded(report);
                                      }}),
      m_scripts(m_runner),
      m_handlers(SessionActions::Parts{m_actions, m_list, m_engine, m_scripts, m_host, m_outcome, m_commands,
                                       std::move(identity),
                                       [this] {
                                           if (OnQuit)
                                               OnQuit();
                                       },
                                       [this] {
                                           continueCallsLater();
                                       }})
{
    wireList(settings);
    m_handlers.bind();
}

Session::~Session()
{
    m_list.AbortOpen();
}

void Session::wireList(const prefs::Settings &settings)
{
    m_restoreList = settings.saveListWhenQuit;
    m_list.SelectionnerOuverts = settings.selectWhenOpening;
    m_list.PreferredFolder = settings.dossierOuvertureAuto;
    m_list.PreferredPlayList = prefs::preferredPlaylist(settings);
    m_list.SetSortIndex(ui::RestoreSortIndex(settings.sortIndex));
    m_list.OnOpenTestExtension = [](const std::string &fileName) {
        return core::IsVideoFileName(fileName);
    };
    m_list.OnOpenFolderFound = [this](const std::string &folder) {
        m_host.note(NoteKind::Status, "Analysing " + folder);
    };
    m_list.OnOpenError = [this](const ui::OpenError &error) {
        m_outcome.failed = true;
        m_host.note(NoteKind::Failure, error.message);
    };
    m_list.OnOpenStart = [this] {
        if (OnOpenStart)
            OnOpenStart();
    };
    m_list.OnOpenEnd = [this](int nb) {
        if (OnOpenEnd)
            OnOpenEnd(nb);
        continueCallsLater();
    };
}

void Session::continueCallsLater()
{
    m_host.post([this] { m_scripts.Continue(); });
}

bool Session::busy() const
{
    return m_engine.IsRunning() || m_list.Opening() || m_host.hostBusy();
}

void Session::hostWorkEnded()
{
    if (m_scripts.Executing())
        continueCallsLater();
}

bool Session::idle() const
{
    return !busy() && !m_scripts.Executing();
}

void Session::refreshActions()
{
    ui::RefreshInputs inputs;
    inputs.panels = m_panels;
    inputs.panels.emptyListPanel = m_list.Count() == 0;
    const auto active = m_list.ActiveFile();
    inputs.activeFileSizeKnown = active && active->HasPicture;
    inputs.commands = &m_conditions;
    ui::RefreshActions(m_actions, inputs);
}

void Session::runCalls(std::span<const ui::ActionCall> calls)
{
    m_scripts.RunCalls(calls);
}

bool Session::runCommandLine(std::span<const std::string> args)
{
    const ui::ParsedCalls parsed = ui::ParseArguments(args);
    for (const ui::IgnoredWord &ignored : parsed.ignored)
        m_host.note(NoteKind::Warning, "argument \"" + ignored.text + "\" names no action");
    if (!parsed.calls.empty()) {
        runCalls(parsed.calls);
        return true;
    }
    if (m_restoreList) {
        m_host.note(NoteKind::Status, "Restoring the files from the previous session");
        m_list.OpenPreferredPlayList();
    }
    return false;
}

void Session::stopCalls()
{
    m_scripts.StopScript();
    continueCallsLater();
}

void Session::interrupt()
{
    m_scripts.StopScript();
    m_host.post([this] {
        m_outcome.failed = true;
        m_list.AbortOpen();
        m_engine.AbortAll();
        m_scripts.Continue();
    });
}

// ---- The engine's host ------------------------------------------------------------------------

void Session::runOnHostThread(std::function<void()> task)
{
    std::promise<void> ran;
    std::future<void> done = ran.get_future();
    m_host.post([&task, &ran] {
        try {
            task();
            ran.set_value();
        } catch (...) {
            ran.set_exception(std::current_exception());
        }
    });
    done.get();
}

void Session::OnStartCommand()
{
    if (OnCommandStart)
        OnCommandStart();
}

void Session::OnEndCommand()
{
    m_host.endProgress();
    const engine::RunSummary &run = m_engine.LastRun();
    if (run.failedPasses > 0 || run.ending == engine::RunEnd::AllError || run.ending == engine::RunEnd::Failed)
        m_outcome.failed = true;
    if (OnCommandEnd)
        OnCommandEnd();
    const engine::tCustomCmd *command = m_engine.CurrentCommand();
    const bool tookFiles = command != nullptr && command->Nombre != engine::fnNone;
    m_host.note(NoteKind::RunEnd, RunOutcomeText(m_handlers.lastCommandCaption(), run, tookFiles));
    // The engine takes the next run once this event has returned.
    continueCallsLater();
}

void Session::OnStartFichier(core::TaviFichier *aFichier, const engine::TParams &, int)
{
    if (m_commands.startFichier)
        m_commands.startFichier(aFichier);
}

void Session::OnEndFichier(core::TaviFichier *aFichier, const engine::TParams &, int)
{
    if (m_commands.endFichier)
        m_commands.endFichier(aFichier);
}

void Session::OnMessageCommand(const std::string &aMsg)
{
    if (!aMsg.empty())
        m_host.commandMessage(aMsg);
}

void Session::OnErrorCommand(const std::string &aMsg, engine::TErrorType aErrorType)
{
    std::string text = aMsg;
    switch (aErrorType) {
    case engine::TErrorType::etNoError:
        break;
    case engine::TErrorType::etError:
        text += "\nThe current file has been aborted.";
        break;
    case engine::TErrorType::etAllError:
        text += "\nThe command will be aborted.";
        break;
    }
    m_host.commandError(text);
    m_host.endProgress();
}

void Session::OnStartProgress(int progress)
{
    m_host.startProgress(progress);
}

void Session::OnSetProgress(int progress)
{
    m_host.setProgress(progress);
}

void Session::OnEndProgress()
{
    m_host.endProgress();
}

engine::TAnswer Session::AskQuestion(const std::string &text, engine::TQuestionButtons buttons)
{
    return m_host.askQuestion(text, buttons);
}

} // namespace camlog::session
