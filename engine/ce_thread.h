// One run of a command: its files, parameters, answers and the worker thread that carries it.
#pragma once

#include "engine/command.h"
#include "engine/command_types.h"

#include <atomic>
#include <thread>
#include <vector>

namespace camlog::engine {

class TceThread {
public:
    TceThread(tCustomCmd &command, TParams params) : Command(command), Params(std::move(params)) {}
    // The engine joins the thread before it drops the run.
    ~TceThread()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    TceThread(const TceThread &) = delete;
    TceThread &operator=(const TceThread &) = delete;

    template <class F> void Start(F &&body) { m_thread = std::thread(std::forward<F>(body)); }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    tCustomCmd &Command;
    const TParams Params;
    // The run's entries in list order; the references keep them alive whatever the list does.
    std::vector<AviFilePtr> Fichiers;
    // The entries selected before the run cleared the selection (a refused run selects them again).
    std::vector<AviFilePtr> SelectedBefore;
    // The current file (changes on reload or replace) and pass.
    AviFilePtr Fichier;
    int Passe = 0;
    TAnswer Answer = TAnswer::Yes;
    std::atomic<TErrorType> ErrorType{etNoError};

private:
    std::thread m_thread;
};

} // namespace camlog::engine
