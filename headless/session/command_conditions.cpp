// Command conditions over the session's file list.
#include "headless/session/command_conditions.h"

#include <exception>

namespace camlog::session {

namespace {

ui::FileScope ScopeOf(engine::TcmdNombre nombre)
{
    switch (nombre) {
    case engine::fnSingle:
        return ui::FileScope::Single;
    case engine::fnSelect:
        return ui::FileScope::Select;
    case engine::fnAll:
        return ui::FileScope::All;
    case engine::fnNone:
        break;
    }
    return ui::FileScope::None;
}

} // namespace

ListCommandConditions::ListCommandConditions(const CommandBinding &commands, const ui::FileListModel &list,
                                             engine::TCommandEngine &engine)
    : m_commands(commands),
      m_list(list),
      m_engine(engine)
{
}

std::optional<ui::CommandFacts> ListCommandConditions::commandFacts(std::string_view commandName) const
{
    if (!m_commands.commandFor)
        return std::nullopt;
    engine::tCustomCmd *command = m_commands.commandFor("cc" + std::string(commandName));
    if (command == nullptr)
        return std::nullopt;

    ui::CommandFacts facts;
    facts.scope = ScopeOf(command->Nombre);
    try {
        facts.commandCondition = command->CommandCondition(m_engine);
    } catch (const std::exception &) {
        facts.commandCondition = false; // a condition that fails cannot be met
    }
    std::vector<engine::AviFilePtr> files;
    switch (facts.scope) {
    case ui::FileScope::Single:
        if (auto active = m_list.ActiveFile())
            files.push_back(std::move(active));
        break;
    case ui::FileScope::Select:
        files = m_list.SelectedFiles();
        break;
    case ui::FileScope::All:
        files = m_list.Files();
        break;
    case ui::FileScope::None:
        break;
    }
    for (const auto &file : files) {
        ui::FileVerdict verdict;
        try {
            command->FileCondition(file.get(), verdict.visible, verdict.enabled);
        } catch (const std::exception &) {
            verdict.enabled = false;
        }
        facts.files.push_back(verdict);
    }
    return facts;
}

} // namespace camlog::session
