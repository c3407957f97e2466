// The worker's body: the per-file loop with its conditions, questions, passes and aborts.
#include "engine/command_engine.h"

#include "engine/ce_thread.h"

#include <exception>

namespace camlog::engine {

namespace {
bool isAll(TAnswer a)
{
    return a == TAnswer::NoToAll || a == TAnswer::YesToAll;
}

// NbPasses below 1 means one pass; handlers may change it during the run.
int passCount(const tCustomCmd &command)
{
    return command.NbPasses < 1 ? 1 : command.NbPasses;
}

// Leaves the file loop and the pass loop together.
struct StopRun {
    RunEnd ending;
};

// Counts one file of the run in its summary when the file's turn ends, however it ends.
class FileTally {
public:
    explicit FileTally(RunSummary &summary) : m_summary(summary), m_failedBefore(summary.failedPasses) {}
    ~FileTally()
    {
        if (m_summary.failedPasses > m_failedBefore)
            ++m_summary.failedFiles;
        else if (m_stopped)
            ++m_summary.stoppedFiles;
        else if (m_ran)
            ++m_summary.doneFiles;
        else
            ++m_summary.skippedFiles;
    }
    FileTally(const FileTally &) = delete;
    FileTally &operator=(const FileTally &) = delete;
    void ran() { m_ran = true; }
    void stopped() { m_stopped = true; }

private:
    RunSummary &m_summary;
    int m_failedBefore;
    bool m_ran = false;
    bool m_stopped = false;
};
} // namespace

void TCommandEngine::runBody(TceThread &run)
{
    bindWorkerThread(true);
    run.Answer = TAnswer::Yes;
    try {
        const bool lockList = run.Command.Nombre == fnSelect || run.Command.Nombre == fnAll;
        handOff([&] {
            if (lockList)
                m_source.SetEnabled(false);
            m_host.OnStartCommand();
        });
        if (!paramsUsable(run))
            throw StopRun{RunEnd::Failed};
        if (run.Fichiers.empty())
            runNoFile(run);
        else
            runFiles(run);
    } catch (const StopRun &stop) {
        m_summary.ending = stop.ending;
    } catch (const std::exception &e) {
        // Something that catches nothing (a plain command's handler, a condition, an event)
        // failed: the run stops, and says so instead of ending as if all went well.
        m_summary.ending = RunEnd::Failed;
        ++m_summary.failedPasses;
        try {
            handOff([&] { m_host.OnErrorCommand(e.what(), etAllError); });
        } catch (...) {
        }
    } catch (...) {
        m_summary.ending = RunEnd::Failed;
        ++m_summary.failedPasses;
        try {
            handOff([&] { m_host.OnErrorCommand("Unknown error", etAllError); });
        } catch (...) {
        }
    }
    finishRun(run);
    bindWorkerThread(false);
}

bool TCommandEngine::paramsUsable(TceThread &run)
{
    if (!run.Command.OnParamsCheck)
        return true;
    const std::string why = run.Command.OnParamsCheck(run.Params);
    if (why.empty())
        return true;
    ++m_summary.failedPasses;
    handOff([&] {
        // Nothing ran: the selection is what it was.
        for (const AviFilePtr &f : run.SelectedBefore)
            m_source.SetSelected(f.get(), true);
        m_host.OnErrorCommand(why, etAllError);
    });
    return false;
}

void TCommandEngine::runNoFile(TceThread &run)
{
    run.Fichier = nullptr;
    for (run.Passe = 1;; ++run.Passe) {
        run.ErrorType = etNoError;
        run.Command.ExecuteFichier(nullptr, run.Params, *this, run.Passe);
        ++m_summary.executedPasses;
        if (run.ErrorType != etNoError)
            ++m_summary.failedPasses;
        if (run.ErrorType == etAllError)
            throw StopRun{RunEnd::AllError};
        if (run.Passe >= passCount(run.Command))
            break;
        if (m_abortAllFlag)
            throw StopRun{RunEnd::AbortedAll};
    }
}

void TCommandEngine::runFiles(TceThread &run)
{
    tCustomCmd &cmd = run.Command;
    for (const AviFilePtr &entry : run.Fichiers) {
        if (m_abortAllFlag)
            throw StopRun{RunEnd::AbortedAll};
        FileTally tally(m_summary);
        if (m_abortFlag) {
            m_abortFlag = false;
            continue;
        }
        run.Fichier = entry;
        bool visible = true;
        bool enabled = true;
        cmd.FileCondition(run.Fichier.get(), visible, enabled);
        if (!enabled)
            continue;

        cmd.PrepareFichier(run.Fichier.get(), run.Params);
        run.Passe = 1;
        while (run.Passe <= passCount(cmd)) {
            handOff([&] {
                if (cmd.FileVerification(run.Fichier.get(), run.Params, *this, run.Passe)) {
                    if (!isAll(run.Answer))
                        run.Answer = TAnswer::Yes;
                } else if (!isAll(run.Answer)) {
                    run.Answer = cmd.FileConfirmation(run.Fichier.get(), run.Params, *this, run.Passe);
                }
            });
            if (run.Answer == TAnswer::Cancel)
                throw StopRun{RunEnd::Cancelled};
            if (run.Answer == TAnswer::No || run.Answer == TAnswer::NoToAll) {
                // A declined pass moves on to the next one; asking again for the same pass
                // would repeat the question (No) or never end (No to All).
                ++run.Passe;
                continue;
            }

            handOff([&] {
                m_source.SetSelected(run.Fichier.get(), true);
                m_host.OnStartFichier(run.Fichier.get(), run.Params, run.Passe);
            });
            run.ErrorType = etNoError;
            m_abortSeen = false;
            tally.ran();
            cmd.ExecuteFichier(run.Fichier.get(), run.Params, *this, run.Passe);
            ++m_summary.executedPasses;
            if (m_abortSeen)
                tally.stopped();
            if (run.ErrorType != etNoError)
                ++m_summary.failedPasses;
            if (run.ErrorType == etAllError)
                throw StopRun{RunEnd::AllError};
            handOff([&] {
                if (cmd.UpdateDisplay == udEach)
                    m_source.RefreshActive();
                m_host.OnEndFichier(run.Fichier.get(), run.Params, run.Passe);
            });
            ++run.Passe;

            if (m_abortAllFlag)
                throw StopRun{RunEnd::AbortedAll};
            // An abort ends the current file. It is spent once something stopped for it: the
            // execution saw it and stopped early, or passes of this file are left out. Otherwise
            // (a short execution that never looked) it skips the next file, at the loop's top.
            if (m_abortFlag && (m_abortSeen || run.Passe <= passCount(cmd))) {
                m_abortFlag = false;
                break;
            }
        }
    }
}

void TCommandEngine::finishRun(TceThread &run)
{
    try {
        handOff([&] {
            // The engine accepts the next run once the host has heard of the end of this one,
            // whatever the end handlers do.
            struct Release {
                TCommandEngine &engine;
                ~Release()
                {
                    engine.m_current = nullptr;
                    engine.m_running = false;
                }
            } release{*this};
            try {
                if (run.Command.UpdateDisplay == udFinal)
                    m_source.RefreshActiveAndCounts();
            } catch (...) {
            }
            m_source.SetEnabled(true);
            m_host.OnEndCommand();
        });
    } catch (...) {
        // Nothing is left to report to once the end of the run has been handed over.
    }
}

} // namespace camlog::engine
