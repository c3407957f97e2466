// The command module of a session: the commands over the freedesktop shell and the
// processing pipeline, and the command each "cc" action starts.
#pragma once

#include "commands/dm_action.h"
#include "commands/processing_graph.h"
#include "commands/shell/freedesktop_shell.h"
#include "headless/session/command_binding.h"
#include "headless/session/program_identity.h"

#include <functional>
#include <string>

namespace camlog::session {

class CommandModule {
public:
    // closePreview: closes the host's preview when it shows the file at that path (none without
    // a preview).
    // showDocument: what becomes of an office document once written (opened with the desktop's
    // default application when empty; the batch mode names it).
    explicit CommandModule(std::function<void(const std::string &path)> closePreview = {},
                           std::function<void(const std::string &path, engine::TCommandEngine &ce)> showDocument = {});
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

} // namespace camlog::session
