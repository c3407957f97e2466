// The one interface through which the engine reaches its host (GUI, batch mode, tests).
#pragma once

#include "engine/command_types.h"

#include <functional>
#include <string>

namespace camlog::engine {

// Implemented by the host that owns the engine. Everything but runOnHostThread is called on the
// host thread only: the engine hands each step over with runOnHostThread while its worker waits.
class EngineHost {
public:
    virtual ~EngineHost() = default;

    // Runs task on the host thread and returns once it has run. Called only from the engine's
    // worker thread. The host must keep serving these calls until the run has ended
    // (TCommandEngine::IsRunning false), including while it shuts down. Exceptions thrown by
    // task are the engine's business: the engine never lets one escape its task.
    virtual void runOnHostThread(std::function<void()> task) = 0;

    // A run begins (the host sets its busy flag).
    virtual void OnStartCommand() = 0;
    // A run has ended; once this returns the engine accepts the next run.
    virtual void OnEndCommand() = 0;
    // A file pass is about to execute, or has executed. After a reload or replace the end event
    // receives the new file object.
    virtual void OnStartFichier(core::TaviFichier *aFichier, const TParams &aParams, int passe) = 0;
    virtual void OnEndFichier(core::TaviFichier *aFichier, const TParams &aParams, int passe) = 0;
    // Status text.
    virtual void OnMessageCommand(const std::string &aMsg) = 0;
    // A file failed (etError) or the command is to stop (etAllError); the host shows aMsg.
    virtual void OnErrorCommand(const std::string &aMsg, TErrorType aErrorType) = 0;
    // The gauge: shown with a maximum, moved, hidden.
    virtual void OnStartProgress(int progress) = 0;
    virtual void OnSetProgress(int progress) = 0;
    virtual void OnEndProgress() = 0;
    // A modal confirmation question; the button pressed is the answer.
    virtual TAnswer AskQuestion(const std::string &text, TQuestionButtons buttons) = 0;
};

} // namespace camlog::engine
