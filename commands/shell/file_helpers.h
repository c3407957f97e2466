// Small file helpers: the bare name of a file, and the deletion of a read-only file.
#pragma once

#include <string>

namespace camlog::commands {

// The file name without its folder and without its extension (from the last "." of the name):
// "/v/Clip.2024.avi" gives "Clip.2024". The same split as the file object's BaseName.
std::string NameWithoutExtension(const std::string &path);

// Gives the owner write permission (the read-only mark), then deletes the file. True when the
// file was deleted; a folder or a missing file gives false. A link is removed, not its target.
bool DeleteFileForce(const std::string &path);

} // namespace camlog::commands
