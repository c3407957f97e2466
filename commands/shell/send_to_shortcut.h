// The "Send To" of the desktop: a desktop entry in the user's applications folder that declares
// the AVI and DV types, so file managers offer the program under "Open with".
#pragma once

#include <string>

namespace camlog::commands {

// $XDG_DATA_HOME/applications, by default ~/.local/share/applications.
std::string SendToFolder();

// The desktop entry of the program at programPath under the given name, its Exec line quoted
// as desktop entries require (blanks, quotes, "$", "%" and backslashes in the path survive).
std::string DesktopEntryText(const std::string &name, const std::string &programPath);

// Writes SendToFolder()/name.desktop for the running program, through a temporary file so an
// existing entry is never left half written. False when it could not be written or the name is
// empty or holds a "/".
bool CreateSendToShortcut(const std::string &name);
// Removes SendToFolder()/name.desktop; true when it was removed.
bool DeleteSendToShortcut(const std::string &name);

} // namespace camlog::commands
