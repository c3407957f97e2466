// The freedesktop home Trash: where it is, creating it when it is missing, and telling whether a
// trashed file landed in a Trash at all.
#include "commands/shell/home_trash.h"

#include <cstdlib>
#include <vector>

#include <unistd.h>

namespace camlog::commands {

namespace fs = std::filesystem;

namespace {

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool sameFolder(const fs::path &a, const fs::path &b)
{
    std::error_code error;
    if (fs::equivalent(a, b, error))
        return true;
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

} // namespace

fs::path HomeTrashFolder()
{
    const fs::path dataHome(environment("XDG_DATA_HOME"));
    if (!dataHome.empty() && dataHome.is_absolute())
        return dataHome / "Trash";
    return fs::path(environment("HOME")) / ".local" / "share" / "Trash";
}

std::string MakeHomeTrash(const fs::path &trash)
{
    if (!trash.is_absolute())
        return "the Trash folder " + trash.string() + " is not an absolute path";
    // The missing folders from the deepest existing one down, so that each gets 0700.
    std::vector<fs::path> missing;
    std::error_code error;
    for (const fs::path &leaf : {trash / "files", trash / "info"}) {
        std::vector<fs::path> chain;
        for (fs::path at = leaf; !at.empty() && !fs::exists(at, error); at = at.parent_path()) {
            chain.push_back(at);
            if (at == at.root_path())
                break;
        }
        missing.insert(missing.end(), chain.rbegin(), chain.rend());
    }
    for (const fs::path &folder : missing) {
        if (fs::is_directory(folder, error))
            continue;
        if (!fs::create_directory(folder, error) && !fs::is_directory(folder))
            return "cannot create " + folder.string() + ": " + error.message();
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    }
    for (const fs::path &folder : {trash / "files", trash / "info"})
        if (!fs::is_directory(folder, error))
            return folder.string() + " is not a folder";
    return {};
}

bool IsInTrash(const fs::path &pathInTrash, const fs::path &homeTrash)
{
    const fs::path files = pathInTrash.parent_path();
    if (!pathInTrash.is_absolute() || files.filename() != "files")
        return false;
    const fs::path trash = files.parent_path();
    std::error_code error;
    if (!fs::is_directory(trash / "info", error))
        return false;
    if (sameFolder(trash, homeTrash))
        return true;
    const std::string uid = std::to_string(::getuid());
    return trash.filename() == ".Trash-" + uid
           || (trash.filename() == uid && trash.parent_path().filename() == ".Trash");
}

} // namespace camlog::commands
