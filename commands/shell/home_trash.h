// The freedesktop home Trash: where it is, creating it when it is missing, and telling whether a
// trashed file landed in a Trash at all.
#pragma once

#include <filesystem>
#include <string>

namespace camlog::commands {

// $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when the variable is unset, empty or relative.
std::filesystem::path HomeTrashFolder();

// Creates the home Trash with its "files" and "info" folders where they are missing, the data
// home above it included; every folder created gets mode 0700. An empty text on success, else
// the reason it could not be made.
std::string MakeHomeTrash(const std::filesystem::path &trash);

// Whether the path lies in the "files" folder of a Trash, next to its "info" folder: the home
// Trash, or the Trash of a mounted file system ($topdir/.Trash/$uid, $topdir/.Trash-$uid).
bool IsInTrash(const std::filesystem::path &pathInTrash, const std::filesystem::path &homeTrash);

} // namespace camlog::commands
