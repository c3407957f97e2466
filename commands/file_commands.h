// The commands that hand files to the desktop or to other programs, and those that send a video
// or its scn and srt files to the Trash.
#pragma once

#include "commands/shell/shell_services.h"
#include "engine/command_engine.h"
#include "prefs/settings.h"

#include <string>
#include <string_view>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

// "Do you really want to delete the file NAME ?" with the Trash notice; shorter for a long name.
std::string DeleteFileQuestion(std::string_view fileName);

// Sends the video to the Trash and takes its entry out of the list. A video the Trash refuses
// is reported and keeps its entry: a file still on disk never leaves the list unseen.
void SupprimerFichierExecution(const core::TaviFichier &fichier, ShellServices &shell, engine::TCommandEngine &ce);

// Sends the scn (or srt) file beside the video to the Trash; raises when it stays.
void DeleteCompanionExecution(const core::TaviFichier &fichier, std::string_view extension, ShellServices &shell);

// Starts program with the file as its only argument; nothing when program is empty. The
// desktop's failure to start it is not reported (the program is the user's own choice).
void OpenWithProgram(const std::string &program, const core::TaviFichier &fichier, ShellServices &shell);

// Snapdeck takes "+F=path" when "Charger Snapdeck" is on, else the path.
void SnapdeckExecution(const core::TaviFichier &fichier, const prefs::Settings &settings, ShellServices &shell);
bool SnapdeckFileCondition(const prefs::Settings &settings);

} // namespace camlog::commands
