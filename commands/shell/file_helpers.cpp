// Small file helpers over std::filesystem.
#include "commands/shell/file_helpers.h"

#include <filesystem>
#include <system_error>

namespace camlog::commands {

namespace fs = std::filesystem;

std::string NameWithoutExtension(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool DeleteFileForce(const std::string &path)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error || !fs::exists(status) || fs::is_directory(status))
        return false;
    if (fs::is_regular_file(status))
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error); // a failure shows in remove
    return fs::remove(path, error);
}

} // namespace camlog::commands
