// The window runs in a program of its own (camlog-window), installed beside the libraries'
// programs (libexec): the camlog command, which lists and runs batches without Qt's window
// libraries, starts it in its place for `camlog [ARG...]`.
#pragma once

#include <optional>
#include <string>

namespace camlog::app {

// The window program for the camlog command at `commandFile`: beside it (the build tree), else
// in the install's folder of library programs; nothing when neither exists.
std::optional<std::string> WindowProgramFor(const std::string &commandFile);

// Replaces this process by the window program with the same arguments; returns only when that
// cannot be done, with the exit status after saying why on standard error.
int StartWindowProgram(char **argv);

} // namespace camlog::app
