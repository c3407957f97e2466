// The path of a file a command creates from a source file: beside it, or in the folder for created files.
#pragma once

#include "prefs/settings.h"

#include <string>
#include <string_view>

namespace camlog::prefs {

// The source path with its extension (from the last "." after the last "/"; none when
// there is no such dot) replaced by `newEnding`, when "Save in the same folder" is on.
// Otherwise "Dossier pour Sauver" followed by the source's file name with its extension
// replaced likewise; a "/" is put between when the folder lacks it, and an empty folder
// means beside the source (never the current directory).
// Example: "/v/clip.avi", "_scn.txt" -> "/v/clip_scn.txt" or "/out/clip_scn.txt".
std::string OutputFileName(std::string_view sourceFile, std::string_view newEnding, const Settings &settings);

// The same with the process-wide settings (current_settings.h).
std::string OutputFileName(std::string_view sourceFile, std::string_view newEnding);

} // namespace camlog::prefs
