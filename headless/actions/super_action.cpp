// The action objects: execution with the preparation step, and the two states of toggle actions.
#include "headless/actions/super_action.h"

#include "headless/actions/action_text.h"

namespace camlog::ui {

TCustomSuperAction::TCustomSuperAction(const ActionDef &def, ActionParameters &shared)
    : m_def(def),
      m_shared(shared),
      m_name(def.name),
      m_category(def.category),
      m_caption(FormatWithProgramName(def.caption)),
      m_hint(FormatWithProgramName(def.hint)),
      m_shortcut(def.shortcut)
{
    for (std::string_view key : def.secondaryShortcuts())
        m_secondary.emplace_back(key);
    setSwitch(def.switchName);
    setToken(def.token);
}

void TCustomSuperAction::setSwitch(std::string_view value)
{
    m_switch = AsciiLower(value);
}

void TCustomSuperAction::setToken(std::string_view value)
{
    m_token = AsciiLower(value);
}

void TCustomSuperAction::setImageIndex(int index)
{
    if (index == m_imageIndex)
        return;
    m_imageIndex = index;
    if (OnImageChanged)
        OnImageChanged(index);
}

bool TCustomSuperAction::Execute()
{
    if (!m_enabled)
        return false;
    if (m_def.isToggle())
        SetChecked(m_checked);
    m_shared.proceed = true;
    m_shared.list.clear();
    if (Onprepare)
        Onprepare(*this);
    if (!m_shared.proceed)
        return false;
    if (m_autoCheck)
        m_checked = !m_checked;
    return CallHandler(ActionSender::Action);
}

bool TCustomSuperAction::CallHandler(ActionSender sender)
{
    // A copy: the handler may replace itself (a toggle's handler selects the other state).
    const ActionHandler handler = selectedHandler();
    if (!handler)
        return false;
    handler(*this, sender);
    return true;
}

TtoggleAction::TtoggleAction(const ActionDef &def, ActionParameters &shared)
    : TCustomSuperAction(def, shared),
      TrueCaption(FormatWithProgramName(def.trueCaption)),
      FalseCaption(FormatWithProgramName(def.caption)),
      TrueHint(FormatWithProgramName(def.hint)),
      FalseHint(FormatWithProgramName(def.hint))
{
    SetChecked(false);
}

void TtoggleAction::SetChecked(bool state)
{
    setCaption(state ? TrueCaption : FalseCaption);
    setHint(state ? TrueHint : FalseHint);
    setImageIndex(state ? TrueImageIndex : FalseImageIndex);
    m_handlerState = state;
    storeChecked(state);
}

const ActionHandler &TtoggleAction::selectedHandler() const
{
    return m_handlerState ? OnTrueExecute : OnfalseExecute;
}

} // namespace camlog::ui
