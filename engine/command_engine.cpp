// The command engine: starting and aborting a run, the hand-off to the host, the services
// that executions call.
#include "engine/command_engine.h"

#include "engine/ce_thread.h"

#include <chrono>
#include <exception>

namespace camlog::engine {

namespace {
// The engine whose worker is the calling thread, if any: hand-offs from the host thread itself
// (a handler that reports from a verification) must run directly, or they would wait on
// themselves.
thread_local const TCommandEngine *t_workerOf = nullptr;
} // namespace

TCommandEngine::TCommandEngine(EngineHost &host, EngineList &source, EngineList &dest, TFichierClass fichierClass)
    : m_host(host),
      m_source(source),
      m_dest(dest),
      m_fichierClass(std::move(fichierClass))
{
}

TCommandEngine::~TCommandEngine()
{
    if (m_running.load())
        AbortAll();
    if (m_run)
        m_run->Join();
}

bool TCommandEngine::ExecuteCommand(tCustomCmd &command, const TParams &params)
{
    if (m_running.load() || onWorker())
        return false;
    if (!command.CommandCondition(*this))
        return false;
    command.m_engine = this;

    auto run = std::make_unique<TceThread>(command, params);
    EngineList &source = m_source;
    auto take = [&run](std::vector<AviFilePtr> files) {
        for (auto &f : files)
            if (f)
                run->Fichiers.push_back(std::move(f));
    };
    switch (command.Nombre) {
    case fnSingle:
        take({source.ActiveFile()});
        if (run->Fichiers.empty())
            return false;
        m_fileCount = 1;
        break;
    case fnSelect:
    case fnAll:
        take(command.Nombre == fnSelect ? source.SelectedFiles() : source.Files());
        if (run->Fichiers.empty())
            return false;
        m_fileCount = static_cast<int>(run->Fichiers.size());
        // The selection shows the progress: each entry is selected again when its pass starts.
        run->SelectedBefore = source.SelectedFiles();
        for (const auto &f : run->SelectedBefore)
            source.SetSelected(f.get(), false);
        break;
    case fnNone:
        break;
    }

    // The previous run has passed its last hand-off; its worker only has to return.
    if (m_run)
        m_run->Join();
    m_current = &command;
    m_summary = RunSummary{};
    m_abortFlag = false;
    m_abortAllFlag = false;
    m_abortSeen = false;
    ResetGraphEvent();
    m_running = true;
    m_run = std::move(run);
    m_run->Start([this, r = m_run.get()] { runBody(*r); });
    return true;
}

void TCommandEngine::Abort()
{
    m_abortFlag = true;
    {
        // Wakes a worker waiting for its graph, so that the graph stops now rather than at the
        // end of the wait, when a fast copy may already have reached its end.
        std::lock_guard lock(m_graphMutex);
    }
    m_graphCv.notify_all();
    if (m_current != nullptr) {
        try {
            m_current->AbortCommand(*this);
        } catch (...) {
            // The abort stands whatever the command's handler does.
        }
    }
}

void TCommandEngine::AbortAll()
{
    m_abortAllFlag = true;
    Abort();
}

bool TCommandEngine::Aborted()
{
    const bool aborted = m_abortFlag.load();
    if (aborted && onWorker())
        m_abortSeen = true;
    return aborted;
}

bool TCommandEngine::onWorker() const
{
    return t_workerOf == this;
}

void TCommandEngine::bindWorkerThread(bool bound)
{
    t_workerOf = bound ? this : nullptr;
}

void TCommandEngine::handOff(const std::function<void()> &task)
{
    if (!onWorker()) {
        task();
        return;
    }
    std::exception_ptr failure;
    m_host.runOnHostThread([&task, &failure] {
        try {
            task();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

void TCommandEngine::MessageCommand(const std::string &text)
{
    handOff([&] { m_host.OnMessageCommand(text); });
}

void TCommandEngine::NoteForRunEnd(const std::string &text)
{
    handOff([&] { m_summary.notes.push_back(text); });
}

void TCommandEngine::ErrorCommand(const std::string &text, TErrorType errorType)
{
    recordError(errorType);
    handOff([&] { m_host.OnErrorCommand(text, errorType); });
}

void TCommandEngine::RecordFailure()
{
    recordError(etError);
}

void TCommandEngine::recordError(TErrorType errorType)
{
    if (!m_running.load() || !m_run)
        return;
    // A later, lesser error of the same execution must not cancel a request to stop the command.
    auto &stored = m_run->ErrorType;
    TErrorType current = stored.load();
    while (errorType > current && !stored.compare_exchange_weak(current, errorType)) {}
}

void TCommandEngine::StartProgress(int maximum)
{
    handOff([&] { m_host.OnStartProgress(maximum); });
}

void TCommandEngine::SetProgress(int position)
{
    handOff([&] { m_host.OnSetProgress(position); });
}

void TCommandEngine::EndProgress()
{
    handOff([&] { m_host.OnEndProgress(); });
}

TAnswer TCommandEngine::AskQuestion(const std::string &text, TQuestionButtons buttons)
{
    TAnswer answer = TAnswer::Cancel;
    handOff([&] { answer = m_host.AskQuestion(text, buttons); });
    return answer;
}

bool TCommandEngine::WaitGraph(int timeoutMs)
{
    std::unique_lock lock(m_graphMutex);
    m_graphCv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [this] { return m_graphSignalled || m_abortFlag.load(); });
    const bool signalled = m_graphSignalled;
    m_graphSignalled = false;
    return signalled;
}

void TCommandEngine::GraphComplete()
{
    {
        std::lock_guard lock(m_graphMutex);
        m_graphSignalled = true;
    }
    m_graphCv.notify_all();
}

void TCommandEngine::ResetGraphEvent()
{
    std::lock_guard lock(m_graphMutex);
    m_graphSignalled = false;
}

} // namespace camlog::engine
