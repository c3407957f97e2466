// While an editor with text fields is shown (the title editor, the inlay editor), the keys Space,
// numeric-pad + and −, and Delete type into its fields: the actions that use them (play, volume,
// remove files) move to Ctrl+Space, Ctrl+Num +, Ctrl+Num − and Ctrl+Del until the last such
// editor closes.
#pragma once

#include <string>
#include <vector>

namespace camlog::ui {
class ActionList;
}

namespace camlog::widgets {

class ActionBinding;

class TypingKeys {
public:
    TypingKeys(ui::ActionList &actions, ActionBinding &binding);

    // An editor opens (the first moves the keys to Ctrl) or closes (the last gives them back).
    void hold();
    void release();
    bool held() const { return m_holders > 0; }

private:
    struct Saved {
        std::string name;
        std::string shortcut;
        std::vector<std::string> secondary;
    };
    ui::ActionList &m_actions;
    ActionBinding &m_binding;
    int m_holders = 0;
    std::vector<Saved> m_saved;
};

} // namespace camlog::widgets
