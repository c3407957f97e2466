// One batch run over the window's list, engine and actions.
#include "app/batch/batch_session.h"

#include "ui/actions/action_refresh.h"

#include <filesystem>

namespace camlog::app {

BatchSession::NotingRunner::NotingRunner(BatchSession &session, ui::RunnerHooks hooks)
    : m_session(session), m_inner(session.m_actions, std::move(hooks))
{
}

ui::CallOutcome BatchSession::NotingRunner::runCall(const ui::ActionCall &call, const std::atomic<bool> &stop)
{
    const ui::CallOutcome outcome = m_inner.runCall(call, stop);
    if (outcome == ui::CallOutcome::Skipped) {
        const auto &action = m_session.m_actions.at(*call.action);
        m_session.m_console.line("camlog: \"" + ActionCaption(action) + "\" skipped: not available for the list now");
    }
    return outcome;
}

BatchSession::BatchSession(const prefs::Settings &settings, AnswerRule rule, const BatchStreams &streams,
                           const core::FichierContext &context, CommandBinding commands,
                           ProgramIdentity identity)
    : m_bar(streams.err, streams.errIsTerminal),
      m_console(streams.err, m_bar),
      m_questions(rule, streams.inIsTerminal, streams.in, streams.err),
      m_host(m_dispatcher, m_questions, m_console, m_bar),
      m_commands(std::move(commands)),
      m_list(m_dispatcher, ui::TaviFichierFactory(context)),
      m_engine(m_host),
      m_conditions(m_commands, m_list, m_engine),
      m_runner(*this,
               ui::RunnerHooks{
                   [this] {
                       m_dispatcher.runPending();
                       refreshActions();
                   },
                   {},
                   [this](const std::atomic<bool> &stop) {
                       m_host.serveUntil([this, &stop] { return stop.load() || idle(); });
                   }}),
      m_scripts(m_runner),
      m_handlers(HeadlessActions::Parts{m_actions, m_list, m_engine, m_scripts, m_console, m_outcome, m_commands,
                                        std::move(identity), streams.out})
{
    m_engine.SourceFichierListbox = &m_list;
    m_engine.DestFichierListbox = &m_list;
    m_engine.FichierClass = [context](const std::string &fullPath) -> engine::FichierPtr {
        return core::TaviFichier::Create(fullPath, context);
    };
    m_host.onRunEnded = [this] {
        const engine::TRunSummary &run = m_engine.LastRun();
        if (run.failedPasses > 0 || run.ending == engine::TRunEnd::AllError || run.ending == engine::TRunEnd::Failed)
            m_outcome.failed = true;
    };
    m_host.onStartFichier = m_commands.startFichier;
    m_host.onEndFichier = m_commands.endFichier;
    wireList(settings);
    m_handlers.bind();
}

BatchSession::~BatchSession()
{
    m_host.serveUntil([this] { return !m_engine.IsRunning(); });
    m_list.AbortOpen();
}

void BatchSession::wireList(const prefs::Settings &settings)
{
    m_list.SelectionnerOuverts = settings.selectWhenOpening;
    m_list.PreferredFolder = settings.dossierOuvertureAuto;
    m_list.PreferredPlayList = (std::filesystem::path(settings.dossierPlayList) / "PlayList.txt").string();
    m_list.SetSortIndex(ui::RestoreSortIndex(settings.sortIndex));
    m_list.OnOpenTestExtension = [](const std::string &fileName) { return ui::IsAviFileName(fileName); };
    m_list.OnOpenFolderFound = [this](const std::string &folder) { m_console.line("Analysing " + folder); };
    m_list.OnOpenError = [this](const ui::OpenError &error) {
        m_console.line("camlog: " + error.message);
        m_outcome.failed = true;
    };
}

bool BatchSession::idle() const
{
    return !m_engine.IsRunning() && !m_list.Opening();
}

void BatchSession::refreshActions()
{
    ui::RefreshInputs inputs;
    inputs.panels.emptyListPanel = m_list.Count() == 0;
    const auto active = m_list.ActiveFile();
    inputs.activeFileSizeKnown = active && active->SizeText != "N/A";
    inputs.commands = &m_conditions;
    ui::RefreshActions(m_actions, inputs);
}

void BatchSession::interrupt()
{
    m_scripts.StopScript();
    m_dispatcher.runOnOwnerThread([this] {
        m_console.line("camlog: interrupted; stopping (press Ctrl+C again to quit at once)");
        m_outcome.failed = true;
        m_list.AbortOpen();
        m_engine.AbortAll();
    });
}

bool BatchSession::run(std::span<const ui::ActionCall> calls)
{
    m_scripts.RunCalls(calls);
    // A stop (Quit, Abort) ends the calls at once; what they started still ends in order.
    m_host.serveUntil([this] { return idle(); });
    return !m_outcome.failed;
}

} // namespace camlog::app
