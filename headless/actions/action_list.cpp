// The main window's action list `al`: one action object per catalogue row.
#include "headless/actions/action_list.h"

#include <cassert>

namespace camlog::ui {

ActionList::ActionList()
{
    for (const ActionDef &def : ActionCatalogue()) {
        if (def.isToggle())
            m_actions.push_back(std::make_unique<TtoggleAction>(def, m_parameters));
        else
            m_actions.push_back(std::make_unique<TSuperAction>(def, m_parameters));
    }
}

TCustomSuperAction &ActionList::at(const ActionDef &def) const
{
    const auto catalogue = ActionCatalogue();
    const auto index = static_cast<std::size_t>(&def - catalogue.data());
    assert(index < m_actions.size());
    return *m_actions[index];
}

TCustomSuperAction *ActionList::find(std::string_view name) const
{
    const ActionDef *def = FindActionByName(name);
    return def != nullptr ? &at(*def) : nullptr;
}

TSuperAction *ActionList::plain(std::string_view name) const
{
    return dynamic_cast<TSuperAction *>(find(name));
}

TtoggleAction *ActionList::toggle(std::string_view name) const
{
    return dynamic_cast<TtoggleAction *>(find(name));
}

} // namespace camlog::ui
