// `camlog [ARG...]`: the program with its window, which processes its arguments as its command
// line (switches, tokens, playlists, files) at its first activation.
#pragma once

#include <span>
#include <string>

namespace camlog::app {

// argc and argv: those of main (the window's application takes them); args: the arguments after
// the program's name. Returns the exit status once the window has closed.
int RunWindow(int &argc, char **argv, std::span<const std::string> args);

} // namespace camlog::app
