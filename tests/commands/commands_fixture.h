// The command module wired to the scripted engine host, an in-memory list, a fake desktop and
// settings of the test's own, with file objects probed from real files.
#pragma once

#include "commands/dm_action.h"
#include "core/avi_fichier.h"
#include "engine/engine_test_host.h"
#include "media/decoding/avi_probe.h"
#include "prefs/current_settings.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace camlog::commands::test {

// Records every call; the Trash moves files into a folder of its own unless told to refuse.
class FakeShell : public ShellServices {
public:
    bool ShowInFolder(const std::string &path) override
    {
        calls.push_back("show " + path);
        return handlerFound;
    }
    bool OpenDocument(const std::string &pathOrAddress) override
    {
        calls.push_back("open " + pathOrAddress);
        return handlerFound;
    }
    bool SendMailTo(const std::string &address, const std::string &subject, const std::string &body) override
    {
        calls.push_back("mail " + address + "|" + subject + "|" + body);
        return handlerFound;
    }
    bool RecycleFile(const std::string &path) override
    {
        calls.push_back("trash " + path);
        if (refuseTrash)
            return false;
        std::error_code ec;
        std::filesystem::create_directories(trashFolder, ec);
        std::filesystem::rename(path, trashFolder / std::filesystem::path(path).filename(), ec);
        return !ec;
    }
    bool StartProgram(const std::string &program, const std::vector<std::string> &arguments) override
    {
        std::string call = "start " + program;
        for (const std::string &argument : arguments)
            call += " [" + argument + "]";
        calls.push_back(call);
        return true;
    }

    std::vector<std::string> calls;
    bool refuseTrash = false;
    bool handlerFound = true; // a desktop handler takes every request
    std::filesystem::path trashFolder;
};

class CommandsFixture : public ::testing::Test {
protected:
    CommandsFixture()
    {
        settings = prefs::currentSettings();
        shell.trashFolder = Scratch() / "Trash";
        // The host carries the run's time difference into and out of each file, as the program's do.
        host.onStartFichier = [this](core::TaviFichier *f) {
            dm.RunTimeDifference().StartFichier(f);
        };
        host.onEndFichier = [this](core::TaviFichier *f) {
            dm.RunTimeDifference().EndFichier(f);
        };
    }

    engine::AviFilePtr Probe(const std::string &path)
    {
        core::AviFileContext context;
        context.prober = &prober;
        return engine::AviFilePtr(core::TaviFichier::Create(path, context));
    }

    // A copy of a generated fixture in the test's scratch folder, under the name given.
    std::string CopyFixture(const std::string &fixture, const std::string &name)
    {
        const std::filesystem::path target = Scratch() / name;
        std::filesystem::copy_file(camlog::test::fixturePath(fixture), target,
                                   std::filesystem::copy_options::overwrite_existing);
        return target.string();
    }
    std::string Touch(const std::string &name, const std::string &content = "x")
    {
        const std::filesystem::path target = Scratch() / name;
        std::ofstream(target, std::ios::binary) << content;
        return target.string();
    }
    // Adds the file to the list, probed and selected; returns its object.
    engine::AviFilePtr AddToList(const std::string &path, bool selected = true)
    {
        engine::AviFilePtr fichier = Probe(path);
        list.entries.push_back({fichier, selected});
        if (list.active < 0)
            list.active = static_cast<int>(list.entries.size()) - 1;
        return fichier;
    }

    bool Run(engine::tCustomCmd &cmd, const engine::TParams &params = {})
    {
        if (!engine.ExecuteCommand(cmd, params))
            return false;
        host.PumpUntilEnded();
        return !engine.IsRunning();
    }

    std::filesystem::path Scratch()
    {
        if (m_scratch.empty()) {
            const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
            std::string name = std::string("commands_") + info->test_suite_name() + "_" + info->name();
            for (char &c : name)
                if (c == '/')
                    c = '_';
            m_scratch = camlog::test::scratchDir(name);
        }
        return m_scratch;
    }
    static bool Exists(const std::string &path) { return std::filesystem::exists(path); }
    static std::string Content(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    prefs::Settings settings;
    FakeShell shell;
    std::vector<std::string> closedPreviews;
    TdmAction dm{TdmActionContext{.shell = shell,
                                  .settings = [this] { return settings; },
                                  .closePreview =
                                      [this](const std::string &p) {
                                          closedPreviews.push_back(p);
                                      }}};
    media::AviProber prober;
    engine::test::TestHost host;
    engine::test::FakeList list;
    engine::TCommandEngine engine{host, list, [this](const std::string &path) {
                                      return Probe(path);
                                  }};

private:
    std::filesystem::path m_scratch;
};

} // namespace camlog::commands::test
