// The command engine: runs one command over the files of a list on a worker thread and hands
// every step that touches the user interface to its host.
#pragma once

#include "engine/command.h"
#include "engine/command_types.h"
#include "engine/engine_host.h"
#include "engine/engine_list.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace camlog::engine {

class TceThread;

// How a run ended, and what it did; kept until the next run starts.
enum class RunEnd { Completed, Cancelled, AbortedAll, AllError, Failed };

struct RunSummary {
    int executedPasses = 0; // ExecuteFichier calls made
    int failedPasses = 0;   // passes that reported an error or failed without a message
    RunEnd ending = RunEnd::Completed;
    // The files the run reached: done (every pass that ran went well), stopped (an abort ended
    // their work early), skipped (not enabled for the command, every pass declined, or passed
    // over by an abort) and failed.
    int doneFiles = 0;
    int stoppedFiles = 0;
    int skippedFiles = 0;
    int failedFiles = 0;
    // What the run's handlers want the user to read once it has ended (a partial file kept).
    std::vector<std::string> notes;
};

class TCommandEngine {
public:
    // Builds the file object for an added, reloaded or replaced file (called on the worker).
    using TFichierClass = std::function<AviFilePtr(const std::string &fullPath)>;

    // source: the list that provides the files and receives remove, reload, replace and rename
    // updates; dest: the list that receives added files (often the same); fichierClass: how the
    // object of an added, reloaded or replaced file is built. The lists must outlive the engine.
    TCommandEngine(EngineHost &host, EngineList &source, EngineList &dest, TFichierClass fichierClass);
    TCommandEngine(EngineHost &host, EngineList &list, TFichierClass fichierClass)
        : TCommandEngine(host, list, list, std::move(fichierClass))
    {
    }
    TCommandEngine(const TCommandEngine &) = delete;
    TCommandEngine &operator=(const TCommandEngine &) = delete;
    // Aborts a run in progress and joins its worker; the host must keep serving hand-offs
    // until then.
    ~TCommandEngine();

    // --- Host thread ---------------------------------------------------------------------
    // Starts a run and returns at once. False, with no event fired, when a run is in progress
    // (until its OnEndCommand has returned), the command's condition refuses,
    // or the command's files are missing (no active file, empty selection, empty list).
    // Exceptions from the command condition reach the caller; nothing is started then.
    bool ExecuteCommand(tCustomCmd &command, const TParams &params = {});
    // Abort: skip the rest of the current file (a long execution stops early when it polls
    // Aborted). AbortAll: start no further file.
    void Abort();
    void AbortAll();
    bool IsRunning() const { return m_running.load(); }
    tCustomCmd *CurrentCommand() const { return m_current; }
    // Files of the last run that took files (1 for fnSingle, else the count taken).
    int FileCount() const { return m_fileCount.load(); }
    // Valid once OnEndCommand of the run has fired.
    const RunSummary &LastRun() const { return m_summary; }

    // --- Services for the command's handlers (worker or host thread) -----------------------
    // Whether an abort is pending. An execution that sees True and stops early has acted on
    // the abort: the next file then runs.
    bool Aborted();
    void MessageCommand(const std::string &text);
    // Keeps a text for the end of the run (LastRun().notes), besides the message of the moment.
    void NoteForRunEnd(const std::string &text);
    void ErrorCommand(const std::string &text, TErrorType errorType);
    // A file failed without a message (a command with an empty error message).
    void RecordFailure();
    void StartProgress(int maximum);
    void SetProgress(int position);
    void EndProgress();
    // Asks the host; used by the confirmations, which already run on the host thread.
    TAnswer AskQuestion(const std::string &text, TQuestionButtons buttons);

    // List updates for the current file; the list changes on the host thread.
    // Adds the file at path when one exists there.
    void AddFichier(const std::string &path);
    // Removes the current file's entry; the run keeps the object until it ends.
    void RemoveFichier();
    // Reads the current file again; the new object takes the entry's place and becomes the
    // run's current file.
    void ReloadFichier();
    // When a file exists at path: deletes the current file from disk and replaces its entry by
    // a new object for path, which becomes the run's current file.
    void ReplaceFichier(const std::string &path);
    // Renames the current file on disk to path (unless a handler did it already), moves its
    // entry to its sorted place and selects it. Never overwrites another file.
    void RenameFichier(const std::string &path);

    // Graph completion: the worker waits at most timeoutMs for GraphComplete (auto-reset).
    bool WaitGraph(int timeoutMs);
    void GraphComplete();
    // Forgets a completion signalled for an earlier graph (called before a graph is run).
    void ResetGraphEvent();

private:
    friend class TceThread;

    bool onWorker() const;
    // Marks the calling thread as this engine's worker, or no longer.
    void bindWorkerThread(bool bound);
    // Runs task on the host thread and waits; direct when already there. Exceptions thrown by
    // task are rethrown here.
    void handOff(const std::function<void()> &task);
    void runBody(TceThread &run);
    void runFiles(TceThread &run);
    // False (after reporting why) when the command refuses the run's parameters.
    bool paramsUsable(TceThread &run);
    void runNoFile(TceThread &run);
    void finishRun(TceThread &run);
    void recordError(TErrorType errorType);
    AviFilePtr buildFichier(const std::string &path) const;
    TceThread &currentRun() const;

    EngineHost &m_host;
    EngineList &m_source;
    EngineList &m_dest;
    TFichierClass m_fichierClass;
    tCustomCmd *m_current = nullptr; // host thread only
    std::unique_ptr<TceThread> m_run;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_fileCount{0};
    std::atomic<bool> m_abortFlag{false};
    std::atomic<bool> m_abortAllFlag{false};
    std::atomic<bool> m_abortSeen{false};
    RunSummary m_summary;

    std::mutex m_graphMutex;
    std::condition_variable m_graphCv;
    bool m_graphSignalled = false;
};

} // namespace camlog::engine
