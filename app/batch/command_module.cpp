// The command module of the batch mode.
#include "app/batch/command_module.h"

#include "commands/graph_bindings.h"

namespace camlog::app {

namespace {

commands::TdmActionContext BatchContext(commands::ShellServices &shell)
{
    // Settings: the process-wide ones. No preview holds a file open in batch mode.
    return commands::TdmActionContext{.shell = shell,
                                      .settings = {},
                                      .programVersion = CAMLOG_VERSION,
                                      .closePreview = {}};
}

} // namespace

CommandModule::CommandModule() : m_commands(BatchContext(m_shell))
{
    commands::BindGraphCommands(m_commands, m_graph);
}

CommandBinding CommandModule::binding()
{
    CommandBinding binding;
    binding.commandFor = [this](std::string_view actionName) { return m_commands.CommandForAction(actionName); };
    binding.passesParameters = [this](const engine::tCustomCmd &command) {
        return m_commands.PassesActionParameters(command);
    };
    binding.startFichier = [this](core::TaviFichier *fichier) { m_commands.RunTimeDifference().StartFichier(fichier); };
    binding.endFichier = [this](core::TaviFichier *fichier) { m_commands.RunTimeDifference().EndFichier(fichier); };
    return binding;
}

ProgramIdentity CommandModule::identity() const
{
    const commands::TdmActionContext &context = m_commands.Context();
    return {context.programName + " " + context.programVersion + context.languageCode, context.webSite};
}

} // namespace camlog::app
