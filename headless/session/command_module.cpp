// The command module of a session.
#include "headless/session/command_module.h"

#include "commands/graph_bindings.h"
#include "core/program_version.h"

namespace camlog::session {

namespace {

commands::TdmActionContext
SessionContext(commands::ShellServices &shell, std::function<void(const std::string &path)> closePreview,
               std::function<void(const std::string &path, engine::TCommandEngine &ce)> showDocument)
{
    // Settings: the process-wide ones.
    return commands::TdmActionContext{.shell = shell,
                                      .settings = {},
                                      .programVersion = std::string(core::kProgramVersion),
                                      .showDocument = std::move(showDocument),
                                      .closePreview = std::move(closePreview)};
}

} // namespace

CommandModule::CommandModule(std::function<void(const std::string &path)> closePreview,
                             std::function<void(const std::string &path, engine::TCommandEngine &ce)> showDocument)
    : m_commands(SessionContext(m_shell, std::move(closePreview), std::move(showDocument)))
{
    commands::BindGraphCommands(m_commands, m_graph);
}

CommandBinding CommandModule::binding()
{
    CommandBinding binding;
    binding.commandFor = [this](std::string_view actionName) {
        return m_commands.CommandForAction(actionName);
    };
    binding.passesParameters = [this](const engine::tCustomCmd &command) {
        return m_commands.PassesActionParameters(command);
    };
    binding.startFichier = [this](core::TaviFichier *fichier) {
        m_commands.RunTimeDifference().StartFichier(fichier);
    };
    binding.endFichier = [this](core::TaviFichier *fichier) {
        m_commands.RunTimeDifference().EndFichier(fichier);
    };
    return binding;
}

ProgramIdentity CommandModule::identity() const
{
    const commands::TdmActionContext &context = m_commands.Context();
    return {context.programName + " " + context.programVersion + context.languageCode, context.webSite};
}

} // namespace camlog::session
