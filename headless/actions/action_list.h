// The main window's action list `al`: one action object per catalogue row, in catalogue order,
// sharing one action parameter list.
#pragma once

#include "headless/actions/super_action.h"

#include <memory>
#include <string_view>
#include <vector>

namespace camlog::ui {

class ActionList {
public:
    ActionList();

    const std::vector<std::unique_ptr<TCustomSuperAction>> &actions() const { return m_actions; }
    ActionParameters &parameters() { return m_parameters; }

    // The object of a catalogue row (def must come from ActionCatalogue()).
    TCustomSuperAction &at(const ActionDef &def) const;
    // By name, exact case; nullptr when there is none (or when it is of the other class).
    TCustomSuperAction *find(std::string_view name) const;
    TSuperAction *plain(std::string_view name) const;
    TtoggleAction *toggle(std::string_view name) const;

private:
    ActionParameters m_parameters;
    std::vector<std::unique_ptr<TCustomSuperAction>> m_actions;
};

} // namespace camlog::ui
