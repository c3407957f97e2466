// The file of the running program as the user started it.
#include "core/program_file.h"

#include <cstdlib>
#include <filesystem>

namespace camlog::core {

namespace {

std::string &setFile()
{
    static std::string file;
    return file;
}

} // namespace

std::string ProgramFile()
{
    if (!setFile().empty())
        return setFile();
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.string();
}

void SetProgramFile(std::string path)
{
    setFile() = std::move(path);
}

void TakeProgramFileFromEnvironment()
{
    const char *value = std::getenv(kProgramFileVariable);
    if (value != nullptr && value[0] == '/')
        SetProgramFile(value);
    ::unsetenv(kProgramFileVariable);
}

} // namespace camlog::core
