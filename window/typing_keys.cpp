// The keys that editors with text fields take from the window's actions.
#include "window/typing_keys.h"

#include "headless/actions/action_list.h"
#include "window/action_binding.h"

namespace camlog::widgets {

namespace {

struct Move {
    const char *action;
    const char *whileTyping;
};
constexpr Move kMoves[] = {
    {"saPlayStop", "Ctrl+Space"},
    {"saIncVolume", "Ctrl+Num +"},
    {"saDecVolume", "Ctrl+Num -"},
    {"saOterFichier", "Ctrl+Del"},
};

} // namespace

TypingKeys::TypingKeys(ui::ActionList &actions, ActionBinding &binding) : m_actions(actions), m_binding(binding) {}

void TypingKeys::hold()
{
    if (m_holders++ > 0)
        return;
    m_saved.clear();
    for (const Move &move : kMoves) {
        ui::TCustomSuperAction *action = m_actions.find(move.action);
        if (action == nullptr)
            continue;
        m_saved.push_back({move.action, action->ShortCut(), action->SecondaryShortcuts()});
        action->setShortCut(move.whileTyping);
        action->setSecondaryShortcuts({});
        m_binding.sync(*action);
    }
}

void TypingKeys::release()
{
    if (m_holders == 0 || --m_holders > 0)
        return;
    for (const Saved &saved : m_saved) {
        if (ui::TCustomSuperAction *action = m_actions.find(saved.name)) {
            action->setShortCut(saved.shortcut);
            action->setSecondaryShortcuts(saved.secondary);
            m_binding.sync(*action);
        }
    }
    m_saved.clear();
}

} // namespace camlog::widgets
