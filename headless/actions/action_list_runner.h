// Runs script and command-line calls on the action list: the state selection and handler call
// of one call, and the host's busy flag.
#pragma once

#include "headless/actions/action_list.h"
#include "headless/actions/script_runner.h"

#include <functional>

namespace camlog::ui {

// One call on its action, without the preparation step: the parameter list holds exactly the
// call's parameter (one empty entry for none); mode On selects the state False (whose handler
// switches the feature on), Off the state True, Toggle re-selects the current state, None
// leaves the action as it is; the selected handler runs with the runner as sender; AutoCheck
// then selects the opposite state. The caller checks the enabled state first.
void ApplyCall(TCustomSuperAction &action, CallMode mode, const std::string &parameter);

// What the host does around the calls: bring the actions' states up to date before a call, tell
// its busy flag, and hear of the end of a run. The busy flag must go up as soon as a command run
// or a list loading is accepted, so that the runner cannot miss work that has not reached the
// host yet.
struct RunnerHooks {
    std::function<void()> beforeCall;
    std::function<bool()> busy;
    std::function<void(const RunReport &report)> runEnded;
};

class ActionListRunner : public ActionRunner {
public:
    ActionListRunner(ActionList &actions, RunnerHooks hooks);

    CallOutcome runCall(const ActionCall &call) override;
    bool busy() const override { return m_hooks.busy && m_hooks.busy(); }
    void endRun(const RunReport &report) override;

private:
    ActionList &m_actions;
    RunnerHooks m_hooks;
};

} // namespace camlog::ui
