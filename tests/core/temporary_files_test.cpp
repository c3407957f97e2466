// The temporary files behind replaced destinations: their names, their removal at a quick exit,
// and the removal of those a dead process left.
#include "core/replacing_file.h"
#include "core/temporary_files.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace camlog::core {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void touch(const fs::path &path)
{
    std::ofstream(path) << "data";
}

// The id of a process that has ended and been reaped.
pid_t deadProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(TemporaryFiles, TheNameCarriesTheProcessAndHidesBesideTheDestination)
{
    EXPECT_EQ(TemporaryNameFor("/v/clip.avi", 3), fs::path("/v/.clip.avi.~" + std::to_string(::getpid()) + "-3"));
}

// Only the temporary files of dead processes for this very destination go; the files of living
// processes, of other destinations, and names that only look alike stay.
TEST(TemporaryFiles, OrphansOfDeadProcessesAreRemoved)
{
    const fs::path dir = test::scratchDir("temporary_orphans");
    const std::string dead = std::to_string(deadProcess());
    const std::string alive = std::to_string(::getppid());
    const std::string self = std::to_string(::getpid());
    const std::vector<std::string> kept{".clip.avi.~" + alive + "-0", ".clip.avi.~" + self + "-7",
                                        ".clip.avi.~" + dead,         ".clip.avi.~" + dead + "-",
                                        ".clip.avi.~" + dead + "-1x", ".clip.avi.~x" + dead + "-1",
                                        ".other.avi.~" + dead + "-0", "clip.avi"};
    for (const std::string &name : kept)
        touch(dir / name);
    touch(dir / (".clip.avi.~" + dead + "-0"));
    touch(dir / (".clip.avi.~" + dead + "-12"));
    fs::create_directory(dir / (".clip.avi.~" + dead + "-5")); // not a file of ours

    EXPECT_EQ(RemoveOrphanedTemporaries(dir / "clip.avi"), 2);
    std::vector<std::string> expected = kept;
    expected.push_back(".clip.avi.~" + dead + "-5");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(dir), expected);
    EXPECT_EQ(RemoveOrphanedTemporaries(dir / "missing folder" / "clip.avi"), 0);
}

TEST(TemporaryFiles, RegisteredFilesAreRemovedAtAQuickExit)
{
    const fs::path dir = test::scratchDir("temporary_registered");
    std::vector<int> slots;
    for (const char *name : {"a", "b", "c"}) {
        touch(dir / name);
        slots.push_back(RegisterTemporary(dir / name));
        ASSERT_GE(slots.back(), 0);
    }
    UnregisterTemporary(slots[1]); // finished and renamed: no longer ours to remove
    RemoveRegisteredTemporaries();
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"b"});
    UnregisterTemporary(slots[0]);
    UnregisterTemporary(slots[2]);
}

// A replacing file is registered while it is written, and a new one for the same destination
// first removes what a killed run left.
TEST(ReplacingFile, TemporaryIsRegisteredUntilCommittedAndOrphansGo)
{
    const fs::path dir = test::scratchDir("replacing_registered");
    const fs::path orphan = dir / (".out.scn.~" + std::to_string(deadProcess()) + "-0");
    touch(orphan);
    {
        ReplacingFile file(dir / "out.scn");
        ASSERT_TRUE(file.ok());
        EXPECT_FALSE(fs::exists(orphan));
        ASSERT_TRUE(file.append("abc", 3));
        ASSERT_EQ(namesIn(dir).size(), 1u);
        RemoveRegisteredTemporaries();
        EXPECT_TRUE(namesIn(dir).empty()) << "the temporary file was not registered";
        EXPECT_FALSE(file.commit());
    }
    ReplacingFile file(dir / "out.scn");
    ASSERT_TRUE(file.append("abc", 3));
    ASSERT_TRUE(file.commit());
    RemoveRegisteredTemporaries(); // committed: nothing of it is registered any more
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"out.scn"});
}

} // namespace
} // namespace camlog::core
