// The rename commands: names built from what a file says (datecode, timecode, format), the
// shortening of suffixes the program's own conversions appended, and the rename on disk with
// the scn and srt companions.
#pragma once

#include "engine/command_engine.h"
#include "prefs/settings.h"

#include <string>
#include <string_view>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

// The file has a datecode: its first frame's datecode was read as a date, and it is not 0.
bool HasDatecode(const core::TaviFichier &fichier);
// The file has a timecode: its first frame's timecode was read.
bool HasTimecode(const core::TaviFichier &fichier);

// The template filled with the file's values (%F name, %E extension, %D recording moment in
// dateFormat, %T timecode, %C codec, %I picture size and aspect, %A audio, %U duration; case
// ignored), the characters a file name cannot hold replaced, in the file's own folder.
std::string ExpandNameTemplate(std::string_view nameTemplate, std::string_view dateFormat,
                               const core::TaviFichier &fichier);

// path when nothing is there and it is not the file being renamed; otherwise the first free
// name with "_1", "_2", ... before the extension.
std::string FreeName(const std::string &path, const std::string &renamedFile);

std::string AjouterDatecodeDestination(const core::TaviFichier &fichier, const prefs::Settings &settings);
std::string AjouterTimecodeDestination(const core::TaviFichier &fichier, const prefs::Settings &settings);
std::string RenommerDestination(const core::TaviFichier &fichier, const prefs::Settings &settings);

// Whether the last "_" suffix of the file's name is one the shortening removes.
bool CanShortenName(const std::string &path);
// The name without the removable suffixes, keeping the folder and the extension, made free.
std::string PurgerNomDestination(const std::string &path);

// Renames the video to destination and its scn and srt files to the same name, never over an
// existing file. Nothing is moved, and the failure is reported and raised, when the video or a
// companion cannot take its new name; the list entry then stays as it was. A companion that
// fails after the video has moved is reported while the video keeps its new name.
void RenommerExecution(const core::TaviFichier &fichier, const std::string &destination, engine::TCommandEngine &ce);

// Moves from to to; fails with EEXIST instead of replacing a file at to.
std::error_code RenameNoReplace(const std::string &from, const std::string &to);

} // namespace camlog::commands
