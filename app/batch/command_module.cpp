// The command module of the batch mode.
#include "app/batch/command_module.h"

namespace camlog::app {

namespace {

commands::TdmActionContext BatchContext(commands::ShellServices &shell)
{
    commands::TdmActionContext context{shell, {}};
    context.programVersion = CAMLOG_VERSION;
    return context; // settings: the process-wide ones; no preview to close
}

} // namespace

CommandModule::CommandModule() : m_commands(BatchContext(m_shell)) {}

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
