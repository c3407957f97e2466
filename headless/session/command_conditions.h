// The command module's answers for the action refresh: each command's condition and its file
// condition over the files it would take from the list, so a disabled action is skipped as in
// the window.
#pragma once

#include "engine/command_engine.h"
#include "headless/actions/action_refresh.h"
#include "headless/list/file_list_model.h"
#include "headless/session/command_binding.h"

namespace camlog::session {

class ListCommandConditions : public ui::CommandConditions {
public:
    ListCommandConditions(const CommandBinding &commands, const ui::FileListModel &list,
                          engine::TCommandEngine &engine);

    std::optional<ui::CommandFacts> commandFacts(std::string_view commandName) const override;

private:
    const CommandBinding &m_commands;
    const ui::FileListModel &m_list;
    engine::TCommandEngine &m_engine;
};

} // namespace camlog::session
