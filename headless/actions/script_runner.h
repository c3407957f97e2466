// The script runner: runs a list of action calls in order, each after the work of the one before
// has ended, and runs script files, nested ones included. It never waits: it goes on when its
// host tells it that the work has ended.
#pragma once

#include "core/expected.h"
#include "headless/actions/action_call.h"
#include "headless/actions/script_file.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace camlog::ui {

enum class CallOutcome { Ran, Skipped };

struct RunReport {
    std::size_t ran = 0;
    std::size_t skipped = 0;
    bool stopped = false;
};

// What runs one call for the runner. The GUI and the batch mode run it on the action list
// (ActionListRunner); tests use a fake.
class ActionRunner {
public:
    virtual ~ActionRunner() = default;
    // Called once when an outermost run starts.
    virtual void beginRun() {}
    // Runs one call. Skipped when its action is disabled at this moment; otherwise its handler
    // runs with the call's parameter. Returns once the handler has returned.
    virtual CallOutcome runCall(const ActionCall &call) = 0;
    // The busy flag: work a call started (a command run, a list loading) has not ended yet. It
    // must be raised as soon as the work is accepted, so that the runner cannot miss it.
    virtual bool busy() const = 0;
    // Called once when an outermost run has ended: after its last call's work, or at a stop.
    virtual void endRun(const RunReport &) {}
};

// "Launch a script" runs a script from its own handler: the script's calls run next, then the
// calls after the launch. A script that is already running (it launches itself, directly or
// through other scripts) is refused, so that no script can recurse without end. "Abort" and
// "Abort all" stop every level at once.
//
// Everything but StopScript runs on the host thread. After a call whose work is still running,
// the runner returns to its host; the host calls Continue when that work has ended (after the
// engine's end-of-run and the list's end-of-opening events) and after a stop.
class ScriptRunner {
public:
    explicit ScriptRunner(ActionRunner &runner);

    // Runs the calls in order until the last one or a stop, as far as it can without waiting.
    // The outermost run clears the stop flag first. Calls given while a run is going (by a call's
    // handler, or while the runner waits) run next, before the rest of the running calls.
    void RunCalls(std::span<const ActionCall> calls);

    // Reads the script, parses its lines (unknown words, comments and empty lines are skipped)
    // and runs them as RunCalls does. Fails without running anything when the file cannot be read
    // or when it is running already.
    core::Expected<std::size_t, ScriptError> RunScriptFile(const std::filesystem::path &path);

    // Goes on with the calls once the busy flag is down, or ends the run after a stop. Does
    // nothing when no run waits.
    void Continue();

    // Ends the running calls: the run ends at the next Continue (or at once when a call's handler
    // stops it). Safe from any thread.
    void StopScript() { m_stop = true; }
    bool stopRequested() const { return m_stop; }
    // A run has started and not ended (it runs a call, or waits for the work of one).
    bool Executing() const { return !m_frames.empty(); }

private:
    // The calls of one RunCalls or one script, and the next one to run.
    struct Frame {
        std::vector<ActionCall> calls;
        std::size_t next = 0;
        std::optional<std::filesystem::path> script;
    };

    void start(Frame frame);
    void advance();
    void finish();

    ActionRunner &m_runner;
    std::atomic<bool> m_stop{false};
    bool m_advancing = false;
    std::vector<Frame> m_frames; // innermost last
    RunReport m_report;
};

} // namespace camlog::ui
