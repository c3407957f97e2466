// Paths of the generated fixtures and real samples, and small file helpers for tests.
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace camlog::test {

std::filesystem::path fixturePath(const std::string &name)
{
    return std::filesystem::path(CAMLOG_FIXTURE_DIR) / name;
}

std::filesystem::path samplePath(const std::string &name)
{
    const std::filesystem::path dir(CAMLOG_SAMPLES_DIR);
    if (dir.empty() || !std::filesystem::exists(dir / name))
        return {};
    return dir / name;
}

std::filesystem::path requireSample(const std::string &name)
{
    auto path = samplePath(name);
    if (path.empty())
        [&] {
            GTEST_SKIP() << "real sample not available: " << name;
        }();
    return path;
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::filesystem::path &path, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

CommandResult runCommand(const std::string &command)
{
    CommandResult result;
    std::FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    result.ok = ::pclose(pipe) == 0;
    return result;
}

namespace {

// Removes the scratch folders of each test when it ends: a passing test's folders go at once, a
// failing test's stay for a look (and go at the start of its next run). Folders made outside a
// test (a suite's set-up) go when the program ends.
class ScratchCleaner : public ::testing::EmptyTestEventListener {
public:
    static ScratchCleaner &instance()
    {
        // Owned by gtest's listener list once appended; made on the first scratch folder.
        static ScratchCleaner *cleaner = [] {
            auto *made = new ScratchCleaner;
            ::testing::UnitTest::GetInstance()->listeners().Append(made);
            return made;
        }();
        return *cleaner;
    }

    void made(const std::filesystem::path &dir)
    {
        if (::testing::UnitTest::GetInstance()->current_test_info() != nullptr)
            m_ofTest.push_back(dir);
        else
            m_ofProgram.push_back(dir);
    }

    void OnTestEnd(const ::testing::TestInfo &info) override
    {
        if (info.result() == nullptr || !info.result()->Failed())
            removeAll(m_ofTest);
        m_ofTest.clear();
    }

    void OnTestProgramEnd(const ::testing::UnitTest &) override { removeAll(m_ofProgram); }

private:
    static void removeAll(const std::vector<std::filesystem::path> &dirs)
    {
        for (const auto &dir : dirs) {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    }

    std::vector<std::filesystem::path> m_ofTest;
    std::vector<std::filesystem::path> m_ofProgram;
};

} // namespace

std::filesystem::path scratchDir(const std::string &testName)
{
    // ctest runs every test in its own process, several at once: the folder also carries the
    // running test's full name so that parameterised cases sharing a testName never collide.
    std::string unique = testName;
    if (const auto *info = ::testing::UnitTest::GetInstance()->current_test_info()) {
        unique += "-";
        unique += info->test_suite_name();
        unique += ".";
        unique += info->name();
    }
    for (auto &c : unique)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_')
            c = '_';
    // CAMLOG_TEST_SCRATCH: another root for the scratch folders, for runs under a user who may not
    // write into the build tree.
    const char *root = std::getenv("CAMLOG_TEST_SCRATCH");
    const auto dir =
        (root != nullptr && root[0] == '/' ? std::filesystem::path(root)
                                           : std::filesystem::path(CAMLOG_FIXTURE_DIR).parent_path() / "scratch")
        / unique;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ScratchCleaner::instance().made(dir);
    return dir;
}

} // namespace camlog::test
