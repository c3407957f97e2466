// The file of the running program as the user started it: the camlog command. The window runs
// in a program of its own that the command starts in its place; that program is told the
// command's file, so that the settings' program checks, the portable settings file beside the
// program and the desktop entries name the command, whichever program runs.
#pragma once

#include <string>

namespace camlog::core {

// The environment variable through which the camlog command hands its file to the program it
// starts in its place.
inline constexpr const char *kProgramFileVariable = "CAMLOG_PROGRAM";

// The file set by SetProgramFile, else the running executable (/proc/self/exe); empty when
// neither is known.
std::string ProgramFile();

// Called once by a main, before any other thread starts.
void SetProgramFile(std::string path);

// For a main started by the camlog command: takes the command's file from the environment (and
// removes the variable, so that the programs this one starts do not inherit it).
void TakeProgramFileFromEnvironment();

} // namespace camlog::core
