// Environment variables set for one test, and a wait for a detached program's output.
#include "shell_test_env.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace camlog::test {

ScopedEnv::~ScopedEnv()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second)
            ::setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            ::unsetenv(it->first.c_str());
    }
}

void ScopedEnv::remember(const std::string &name)
{
    const char *old = std::getenv(name.c_str());
    m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
}

void ScopedEnv::set(const std::string &name, const std::string &value)
{
    remember(name);
    ::setenv(name.c_str(), value.c_str(), 1);
}

void ScopedEnv::unset(const std::string &name)
{
    remember(name);
    ::unsetenv(name.c_str());
}

std::vector<std::filesystem::path> waitForFiles(const std::filesystem::path &folder)
{
    using namespace std::chrono_literals;
    // A detached program reports only through the files it leaves; the deadline only stops a
    // test whose program never started from waiting for ever.
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    for (;;) {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        for (const auto &entry : std::filesystem::directory_iterator(folder, error))
            files.push_back(entry.path());
        if (!files.empty() || std::chrono::steady_clock::now() > deadline) {
            std::sort(files.begin(), files.end());
            return files;
        }
        std::this_thread::sleep_for(10ms);
    }
}

} // namespace camlog::test
