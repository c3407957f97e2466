// How a dialog answers an action before it runs: the action's preparation asks, and the action
// runs only with an answer, which becomes its parameters.
#pragma once

#include "headless/actions/action_list.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace camlog::widgets {

// ask returns the parameters, or nothing when the user gave no answer (the action then stays).
template <typename Ask> void AsksUser(ui::ActionList &actions, std::string_view name, Ask ask)
{
    ui::TCustomSuperAction *action = actions.find(name);
    if (action == nullptr)
        return;
    action->Onprepare = [ask](ui::TCustomSuperAction &a) {
        ui::ActionParameters &parameters = a.parameters();
        parameters.proceed = false;
        if (std::optional<std::vector<std::string>> answer = ask()) {
            parameters.list = std::move(*answer);
            parameters.proceed = true;
        }
    };
}

} // namespace camlog::widgets
