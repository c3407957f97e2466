// A test fixture wiring an engine to the test host and an in-memory list, with a scratch folder.
#pragma once

#include "engine_test_host.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace camlog::engine::test {

class EngineFixture : public ::testing::Test {
protected:
    EngineFixture() = default;

    // Starts a run and serves its hand-offs to its end; false when the engine refused it.
    bool Run(tCustomCmd &cmd, const TParams &params = {})
    {
        if (!engine.ExecuteCommand(cmd, params))
            return false;
        host.PumpUntilEnded();
        return !engine.IsRunning();
    }

    // An execution handler that records "name pass" (written on the worker, read after the run).
    TExecutionEvent Record()
    {
        return [this](core::TaviFichier *f, const TParams &, TCommandEngine &, int passe) {
            executed.push_back((f != nullptr ? f->FileName : std::string("(none)")) + " " + std::to_string(passe));
        };
    }
    TDestExecutionEvent RecordDest()
    {
        return [this](core::TaviFichier *f, const std::string &dest, const TParams &, TCommandEngine &, int passe) {
            executed.push_back((f != nullptr ? f->FileName : std::string("(none)")) + " " + std::to_string(passe));
            destinations.push_back(dest);
        };
    }

    std::filesystem::path Scratch()
    {
        if (m_scratch.empty()) {
            const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
            std::string name = std::string("engine_") + info->test_suite_name() + "_" + info->name();
            for (char &c : name)
                if (c == '/')
                    c = '_';
            m_scratch = camlog::test::scratchDir(name);
        }
        return m_scratch;
    }
    std::string Touch(const std::string &name, const std::string &content = "x")
    {
        const auto path = Scratch() / name;
        std::ofstream(path) << content;
        return path.string();
    }
    static std::string Content(const std::string &path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TestHost host;
    FakeList list;
    std::vector<std::string> executed;
    std::vector<std::string> destinations;
    int built = 0;
    // How the engine builds the objects of added, reloaded and replaced files; a test may change it.
    TCommandEngine::TFichierClass fichierClass = [this](const std::string &path) {
        ++built;
        return MakeFichier(path);
    };
    TCommandEngine engine{host, list, [this](const std::string &path) {
                              return fichierClass(path);
                          }};

private:
    std::filesystem::path m_scratch;
};

} // namespace camlog::engine::test
