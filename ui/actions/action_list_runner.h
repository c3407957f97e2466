// Runs script and command-line calls on the action list: the state selection and handler call
// of one call, then the host's wait for the work it started.
#pragma once

#include "ui/actions/action_list.h"
#include "ui/actions/script_runner.h"

#include <atomic>
#include <functional>

namespace camlog::ui {

// One call on its action, without the preparation step: the parameter list holds exactly the
// call's parameter (one empty entry for none); mode On selects the state False (whose handler
// switches the feature on), Off the state True, Toggle re-selects the current state, None
// leaves the action as it is; the selected handler runs with the runner as sender; AutoCheck
// then selects the opposite state. The caller checks the enabled state first.
void ApplyCall(TCustomSuperAction &action, CallMode mode, const std::string &parameter);

// What the host does around a call: handle pending events, clear its busy flag at the start of
// a run, and wait until the work a handler started has finished or `stop` is set. The busy flag
// must go up as soon as a command run or a list loading is accepted, so that the wait cannot
// miss work that has not reached the host yet.
struct RunnerHooks {
    std::function<void()> processPending;
    std::function<void()> clearBusy;
    std::function<void(const std::atomic<bool> &stop)> waitForWork;
};

class ActionListRunner : public ActionRunner {
public:
    ActionListRunner(ActionList &actions, RunnerHooks hooks);

    void beginRun() override;
    CallOutcome runCall(const ActionCall &call, const std::atomic<bool> &stop) override;

private:
    ActionList &m_actions;
    RunnerHooks m_hooks;
};

} // namespace camlog::ui
