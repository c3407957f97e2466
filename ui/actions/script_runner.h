// The script runner: runs a list of action calls in order, each to the end of its work, and
// runs script files, nested ones included.
#pragma once

#include "core/expected.h"
#include "ui/actions/action_call.h"
#include "ui/actions/script_file.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <span>
#include <vector>

namespace camlog::ui {

enum class CallOutcome { Ran, Skipped };

// What runs one call for the runner. The GUI and the batch mode run it on the action list and
// wait on their busy flag (ActionListRunner); tests use a fake.
class ActionRunner {
public:
    virtual ~ActionRunner() = default;
    // Called once when an outermost run starts (the host clears its busy flag).
    virtual void beginRun() {}
    // Runs one call. Skipped when its action is disabled at this moment; otherwise its handler
    // runs with the call's parameter, and this returns once the work the handler started
    // (a command run, a list loading) has finished, or as soon as `stop` becomes set.
    virtual CallOutcome runCall(const ActionCall &call, const std::atomic<bool> &stop) = 0;
};

struct RunReport {
    std::size_t ran = 0;
    std::size_t skipped = 0;
    bool stopped = false;
};

// "Launch a script" runs a script inside its own handler, so a script that launches another
// runs that one completely and then goes on with its next line. A script that is already
// running (it launches itself, directly or through other scripts) is refused, so that no
// script can recurse without end. "Abort" and "Abort all" stop every level at once.
class ScriptRunner {
public:
    explicit ScriptRunner(ActionRunner &runner);

    // Runs the calls in order until the last one or a stop. The outermost run clears the stop
    // flag first; a nested run keeps it.
    RunReport RunCalls(std::span<const ActionCall> calls);

    // Reads the script, parses its lines (unknown words, comments and empty lines are skipped)
    // and runs them. Fails without running anything when the file cannot be read or when it is
    // running already.
    core::Expected<RunReport, ScriptError> RunScriptFile(const std::filesystem::path &path);

    // Ends the running calls at once; safe from any thread.
    void StopScript() { m_stop = true; }
    bool stopRequested() const { return m_stop; }
    bool Executing() const { return m_depth > 0; }

private:
    ActionRunner &m_runner;
    std::atomic<bool> m_stop{false};
    std::size_t m_depth = 0;
    std::vector<std::filesystem::path> m_scripts; // the scripts running now, outermost first
};

} // namespace camlog::ui
