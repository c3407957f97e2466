// What a session needs from the program that hosts it (the window, the batch mode, a test): the
// hand-off to the host's thread, the questions, the messages and the gauge. Nothing else.
#pragma once

#include "engine/command_types.h"

#include <functional>
#include <string>

namespace camlog::session {

// What a session note is about; the host words and shows it its own way.
enum class NoteKind {
    Status,      // what the session is doing ("Analysing /videos/", "Sorted by datecode")
    Warning,     // something the user should know; the work goes on
    Failure,     // something failed; the session's outcome is failed
    Unavailable, // the text is an action's quoted caption: the action needs what this host lacks
    RunEnd,      // what a command's run did, once it has ended ("Rename: 4 files done, 1 skipped")
};

// A report the user asked for, shown as the host can (a window, a message box, standard output).
enum class ReportKind { RiffHeader, TotalDuration };

// Every call but post comes on the host thread.
class SessionHost {
public:
    virtual ~SessionHost() = default;

    // Queues task for the host's thread and returns at once; the host runs the tasks in the
    // order they came. Called from any thread (the engine's worker, the list's openings). The
    // host keeps running them until the session is idle, including while it shuts down.
    virtual void post(std::function<void()> task) = 0;

    // A confirmation question; the button pressed is the answer. The engine's worker waits.
    virtual engine::TAnswer askQuestion(const std::string &text, engine::TQuestionButtons buttons) = 0;
    // The status text of a command run (the window's status bar in money green).
    virtual void commandMessage(const std::string &text) = 0;
    // A file or the whole command failed: the message and what follows, "The current file has
    // been aborted." or "The command will be aborted." on the second line.
    virtual void commandError(const std::string &text) = 0;
    // The gauge: shown with a maximum, moved, hidden.
    virtual void startProgress(int maximum) = 0;
    virtual void setProgress(int position) = 0;
    virtual void endProgress() = 0;

    // The session's own notes (list openings, skipped calls, failures of list actions).
    virtual void note(NoteKind kind, const std::string &text) = 0;
    // A report of several lines, without a final line break.
    virtual void report(ReportKind kind, const std::string &text) = 0;

    // Work of the host's own that a call started and that the next call must wait for (the
    // window's preview opening a file or showing the picture a step asked for). The host calls
    // Session::hostWorkEnded when it is done.
    virtual bool hostBusy() const { return false; }
};

} // namespace camlog::session
