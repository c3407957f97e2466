// Runs script and command-line calls on the action list.
#include "ui/actions/action_list_runner.h"

namespace camlog::ui {

void ApplyCall(TCustomSuperAction &action, CallMode mode, const std::string &parameter)
{
    ActionParameters &shared = action.parameters();
    shared.list.assign(1, parameter);
    switch (mode) {
    case CallMode::On: action.SetChecked(false); break;
    case CallMode::Off: action.SetChecked(true); break;
    case CallMode::Toggle: action.SetChecked(action.Checked()); break;
    case CallMode::None: break;
    }
    action.CallHandler(ActionSender::Runner);
    if (action.AutoCheck())
        action.SetChecked(!action.Checked());
}

ActionListRunner::ActionListRunner(ActionList &actions, RunnerHooks hooks)
    : m_actions(actions), m_hooks(std::move(hooks))
{
}

void ActionListRunner::beginRun()
{
    if (m_hooks.clearBusy)
        m_hooks.clearBusy();
}

CallOutcome ActionListRunner::runCall(const ActionCall &call, const std::atomic<bool> &stop)
{
    m_actions.parameters().proceed = true;
    if (m_hooks.processPending)
        m_hooks.processPending();
    TCustomSuperAction &action = m_actions.at(*call.action);
    if (!action.Enabled())
        return CallOutcome::Skipped;
    ApplyCall(action, call.mode, call.parameter);
    if (m_hooks.waitForWork)
        m_hooks.waitForWork(stop);
    return CallOutcome::Ran;
}

} // namespace camlog::ui
