// Starting the window program in the camlog command's place.
#include "app/window_launch.h"

#include "core/program_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace camlog::app {

namespace fs = std::filesystem;

namespace {

constexpr const char *kWindowProgramName = "camlog-window";

bool isProgram(const fs::path &path)
{
    std::error_code error;
    return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

std::optional<std::string> WindowProgramFor(const std::string &commandFile)
{
    const fs::path folder = fs::path(commandFile).parent_path();
    // CAMLOG_WINDOW_FOLDER: the install's folder of the window program, relative to the
    // command's folder (bin/../libexec/camlog).
    for (const fs::path &candidate : {folder / kWindowProgramName, folder / CAMLOG_WINDOW_FOLDER / kWindowProgramName})
        if (isProgram(candidate))
            return candidate.lexically_normal().string();
    return std::nullopt;
}

int StartWindowProgram(char **argv)
{
    const std::string command = core::ProgramFile();
    const std::optional<std::string> window = WindowProgramFor(command);
    if (!window) {
        std::fprintf(stderr,
                     "camlog: the window program (%s) is not installed beside %s; camlog --list PATH... lists "
                     "videos and camlog --batch ARG... runs actions without it\n",
                     kWindowProgramName, command.c_str());
        return 1;
    }
    ::setenv(core::kProgramFileVariable, command.c_str(), 1);
    ::execv(window->c_str(), argv);
    const int error = errno;
    std::fprintf(stderr, "camlog: cannot start the window program %s: %s\n", window->c_str(), std::strerror(error));
    return 1;
}

} // namespace camlog::app
