// The command module as the batch mode uses it: the commands over the freedesktop shell and the
// processing pipeline, and the command each "cc" action starts.
#pragma once

#include "app/batch/headless_actions.h"
#include "app/batch/program_identity.h"
#include "commands/dm_action.h"
#include "commands/processing_graph.h"
#include "commands/shell/freedesktop_shell.h"

namespace camlog::app {

class CommandModule {
public:
    CommandModule();
    CommandModule(const CommandModule &) = delete;
    CommandModule &operator=(const CommandModule &) = delete;

    // Both valid while this object lives.
    CommandBinding binding();
    commands::TdmAction &commands() { return m_commands; }

    ProgramIdentity identity() const;

private:
    commands::FreedesktopShell m_shell;
    commands::TdmAction m_commands;
    commands::ProcessingGraph m_graph;
};

} // namespace camlog::app
