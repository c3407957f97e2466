// The fixture of the end-to-end batch tests that work on copies of the fixture videos: a scratch
// folder (removed afterwards), the runner whose home lies in it, and a folder of videos.
#pragma once

#include "batch/batch_runner.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

namespace camlog::test {

class BatchFolderTest : public ::testing::Test {
protected:
    explicit BatchFolderTest(const std::string &name) : root(scratchDir(name)), runner(root), videos(root / "v")
    {
        std::filesystem::create_directories(videos);
    }
    ~BatchFolderTest() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // A copy of the fixture in the videos folder, under `name` (the fixture's own by default).
    std::filesystem::path Copy(const std::string &fixture, const std::string &name = {})
    {
        const std::filesystem::path target = videos / (name.empty() ? fixture : name);
        std::filesystem::copy_file(fixturePath(fixture), target, std::filesystem::copy_options::overwrite_existing);
        return target;
    }

    // The settings file with these lines (CR LF ends) after the program's own.
    void Settings(const std::string &lines)
    {
        std::filesystem::create_directories(runner.settingsFile().parent_path());
        WriteText(runner.settingsFile(), "[\\Software\\Ovrand\\Camlog]\r\nExename="
                                             + std::filesystem::canonical(CamlogProgram()).string() + "\r\n" + lines);
    }

    static std::size_t FilesIn(const std::filesystem::path &folder)
    {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator{}));
    }

    std::filesystem::path root;
    BatchRunner runner;
    std::filesystem::path videos;
};

} // namespace camlog::test
