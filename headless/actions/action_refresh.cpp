// When actions are shown and enabled: the rules of the window's action refresh, on plain inputs.
#include "headless/actions/action_refresh.h"

#include <algorithm>

namespace camlog::ui {

Availability CategoryAvailability(std::string_view category, const PanelState &panels)
{
    bool visible = true;
    if (category == kCategoryPermanent)
        visible = true;
    else if (category == kCategoryOpen)
        visible = !panels.aboutPanel && !panels.settingsPanel;
    else
        visible = !panels.emptyListPanel && !panels.aboutPanel && !panels.settingsPanel;
    return {visible, visible};
}

void ApplyCommandFacts(const CommandFacts &facts, Availability &availability)
{
    if (facts.commandCondition.has_value())
        availability.visible = availability.visible && *facts.commandCondition;
    switch (facts.scope) {
    case FileScope::Single:
        if (!facts.files.empty()) {
            availability.visible = availability.visible && facts.files.front().visible;
            availability.enabled = availability.enabled && facts.files.front().enabled;
        }
        break;
    case FileScope::Select:
    case FileScope::All: {
        const bool anyEnabled =
            std::any_of(facts.files.begin(), facts.files.end(), [](const FileVerdict &v) { return v.enabled; });
        availability.enabled = availability.enabled && anyEnabled;
        break;
    }
    case FileScope::None:
        break;
    }
}

void RefreshActions(ActionList &actions, const RefreshInputs &inputs)
{
    for (const auto &action : actions.actions()) {
        if (action->Name().starts_with("saBarre"))
            continue;
        Availability availability = CategoryAvailability(action->Category(), inputs.panels);
        const ActionDef &def = action->definition();
        if (def.startsCommand() && inputs.commands != nullptr) {
            if (const auto facts = inputs.commands->commandFacts(def.commandName()))
                ApplyCommandFacts(*facts, availability);
        }
        if (def.name == "taEditerScenes")
            availability.enabled = availability.enabled && inputs.activeFileSizeKnown;
        action->setVisible(availability.visible);
        action->setEnabled(availability.enabled);
    }
}

} // namespace camlog::ui
