// The program file: the running executable, or the camlog command's file that the window
// program is handed (and does not hand on to the programs it starts).
#include "core/program_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace camlog::core {
namespace {

TEST(ProgramFile, IsTheCommandHandedOverElseTheRunningExecutable)
{
    std::error_code error;
    const std::string executable = std::filesystem::read_symlink("/proc/self/exe", error).string();
    ASSERT_FALSE(error);

    struct Case {
        const char *what;
        const char *value; // nullptr: the variable is not set
        std::string expected;
    };
    const Case cases[] = {
        {"nothing handed over", nullptr, executable},
        {"the command's file", "/usr/bin/camlog", "/usr/bin/camlog"},
        {"a relative path is no file of a command", "camlog", executable},
        {"an empty value", "", executable},
    };
    for (const Case &c : cases) {
        SetProgramFile({});
        if (c.value != nullptr)
            ::setenv(kProgramFileVariable, c.value, 1);
        else
            ::unsetenv(kProgramFileVariable);
        TakeProgramFileFromEnvironment();
        EXPECT_EQ(ProgramFile(), c.expected) << c.what;
        EXPECT_EQ(std::getenv(kProgramFileVariable), nullptr) << c.what << ": the variable is passed on";
    }
    SetProgramFile({});
}

} // namespace
} // namespace camlog::core
