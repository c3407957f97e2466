// The action objects: `TCustomSuperAction` with its handler slots, `TSuperAction` and `TtoggleAction`.
#pragma once

#include "headless/actions/action_catalogue.h"

#include <functional>
#include <string>
#include <vector>

namespace camlog::ui {

// The program-wide state every action run shares: the action parameter list (cleared at the
// start of each run, filled by the preparation step or by the script runner, read by the
// handler) and the proceed flag (a preparation step clears it to cancel the run).
struct ActionParameters {
    std::vector<std::string> list;
    bool proceed = true;
};

// Who started a handler: the action itself (menu, button, key, Execute) or a script or
// command-line call, which skips the preparation step.
enum class ActionSender { Action, Runner };

class TCustomSuperAction;
using ActionHandler = std::function<void(TCustomSuperAction &action, ActionSender sender)>;
using PrepareHandler = std::function<void(TCustomSuperAction &action)>;
using ImageChangedHandler = std::function<void(int imageindex)>;

class TCustomSuperAction {
public:
    TCustomSuperAction(const ActionDef &def, ActionParameters &shared);
    virtual ~TCustomSuperAction() = default;
    TCustomSuperAction(const TCustomSuperAction &) = delete;
    TCustomSuperAction &operator=(const TCustomSuperAction &) = delete;

    const ActionDef &definition() const { return m_def; }
    const std::string &Name() const { return m_name; }
    const std::string &Category() const { return m_category; }
    ActionParameters &parameters() const { return m_shared; }

    const std::string &Caption() const { return m_caption; }
    void setCaption(std::string caption) { m_caption = std::move(caption); }
    const std::string &Hint() const { return m_hint; }
    void setHint(std::string hint) { m_hint = std::move(hint); }
    const std::string &ShortCut() const { return m_shortcut; }
    void setShortCut(std::string keys) { m_shortcut = std::move(keys); }
    const std::vector<std::string> &SecondaryShortcuts() const { return m_secondary; }
    void setSecondaryShortcuts(std::vector<std::string> keys) { m_secondary = std::move(keys); }

    // Stored lower-cased whatever case they are given in.
    const std::string &Switch() const { return m_switch; }
    void setSwitch(std::string_view value);
    const std::string &Token() const { return m_token; }
    void setToken(std::string_view value);

    bool Visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool AutoCheck() const { return m_autoCheck; }
    void setAutoCheck(bool autoCheck) { m_autoCheck = autoCheck; }

    int imageindex() const { return m_imageIndex; }
    // Calls OnImageChanged only when the index really changes.
    void setImageIndex(int index);

    bool Checked() const { return m_checked; }
    // A plain action only stores the flag; a toggle action also selects that state's caption,
    // hint, image and handler.
    virtual void SetChecked(bool state) { m_checked = state; }

    // Runs the action as a menu item or key does: nothing when disabled; a toggle re-applies
    // its state; the proceed flag is set and the parameter list cleared; the preparation
    // step runs; when it did not cancel, AutoCheck flips the checked flag (the selected
    // handler stays) and the handler runs. Returns whether the handler ran.
    bool Execute();

    // Runs the selected handler directly, without the preparation step and whatever the
    // enabled state (script calls check that first). Returns whether a handler was assigned.
    bool CallHandler(ActionSender sender);

    PrepareHandler Onprepare;
    ImageChangedHandler OnImageChanged;

protected:
    // The handler selected now (for a toggle, the one of the last SetChecked state).
    virtual const ActionHandler &selectedHandler() const = 0;
    void storeChecked(bool state) { m_checked = state; }

private:
    const ActionDef &m_def;
    ActionParameters &m_shared;
    std::string m_name;
    std::string m_category;
    std::string m_caption;
    std::string m_hint;
    std::string m_shortcut;
    std::vector<std::string> m_secondary;
    std::string m_switch;
    std::string m_token;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_autoCheck = false;
    bool m_checked = false;
    int m_imageIndex = -1;
};

class TSuperAction : public TCustomSuperAction {
public:
    using TCustomSuperAction::TCustomSuperAction;
    ActionHandler Onexecute;

protected:
    const ActionHandler &selectedHandler() const override { return Onexecute; }
};

class TtoggleAction : public TCustomSuperAction {
public:
    TtoggleAction(const ActionDef &def, ActionParameters &shared);

    void SetChecked(bool state) override;

    std::string TrueCaption;
    std::string FalseCaption;
    std::string TrueHint;
    std::string FalseHint;
    int TrueImageIndex = -1;
    int FalseImageIndex = -1;
    ActionHandler OnTrueExecute;
    ActionHandler OnfalseExecute;

protected:
    const ActionHandler &selectedHandler() const override;

private:
    // Kept apart from Checked: AutoCheck flips Checked without changing the handler.
    bool m_handlerState = false;
};

} // namespace camlog::ui
