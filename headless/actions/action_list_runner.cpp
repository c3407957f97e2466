// Runs script and command-line calls on the action list.
#include "headless/actions/action_list_runner.h"

namespace camlog::ui {

void ApplyCall(TCustomSuperAction &action, CallMode mode, const std::string &parameter)
{
    ActionParameters &shared = action.parameters();
    shared.list.assign(1, parameter);
    switch (mode) {
    case CallMode::On:
        action.SetChecked(false);
        break;
    case CallMode::Off:
        action.SetChecked(true);
        break;
    case CallMode::Toggle:
        action.SetChecked(action.Checked());
        break;
    case CallMode::None:
        break;
    }
    action.CallHandler(ActionSender::Runner);
    if (action.AutoCheck())
        action.SetChecked(!action.Checked());
}

ActionListRunner::ActionListRunner(ActionList &actions, RunnerHooks hooks)
    : m_actions(actions),
      m_hooks(std::move(hooks))
{
}

void ActionListRunner::endRun(const RunReport &report)
{
    if (m_hooks.runEnded)
        m_hooks.runEnded(report);
}

CallOutcome ActionListRunner::runCall(const ActionCall &call)
{
    m_actions.parameters().proceed = true;
    if (m_hooks.beforeCall)
        m_hooks.beforeCall();
    TCustomSuperAction &action = m_actions.at(*call.action);
    if (!action.Enabled())
        return CallOutcome::Skipped;
    ApplyCall(action, call.mode, call.parameter);
    return CallOutcome::Ran;
}

} // namespace camlog::ui
