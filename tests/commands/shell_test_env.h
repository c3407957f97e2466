// Environment variables set for one test and restored after it, and a wait for a file that a
// detached program writes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace camlog::test {

class ScopedEnv {
public:
    ScopedEnv() = default;
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

    void set(const std::string &name, const std::string &value);
    void unset(const std::string &name);

private:
    void remember(const std::string &name);
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// The files of a folder once at least one is there, or none after 30 s (a program that never ran).
std::vector<std::filesystem::path> waitForFiles(const std::filesystem::path &folder);

} // namespace camlog::test
