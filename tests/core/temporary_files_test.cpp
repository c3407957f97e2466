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

// The temporary files of dead processes go, whatever destination of the folder they stood for
// (a killed run's file is removed by the next run that writes there); the files of living
// processes and names that only look alike stay.
TEST(TemporaryFiles, OrphansOfDeadProcessesAreRemoved)
{
    const fs::path dir = test::scratchDir("temporary_orphans");
    const std::string dead = std::to_string(deadProcess());
    const std::string alive = std::to_string(::getppid());
    const std::string self = std::to_string(::getpid());
    const std::vector<std::string> kept{".clip.avi.~" + alive + "-0", ".clip.avi.~" + self + "-7",
                                        ".clip.avi.~" + dead,         ".clip.avi.~" + dead + "-",
                                        ".clip.avi.~" + dead + "-1x", ".clip.avi.~x" + dead + "-1",
                                        "other.avi.~" + dead + "-0",  "clip.avi"};
    for (const std::string &name : kept)
        touch(dir / name);
    touch(dir / (".clip.avi.~" + dead + "-0"));
    touch(dir / (".clip.avi.~" + dead + "-12"));
    touch(dir / (".other.avi.~" + dead + "-0"));
    fs::create_directory(dir / (".clip.avi.~" + dead + "-5")); // not a file of ours

    EXPECT_EQ(RemoveOrphanedTemporaries(dir / "clip.avi"), 3);
    std::vector<std::string> expected = kept;
    expected.push_back(".clip.avi.~" + dead + "-5");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(dir), expected);
    EXPECT_EQ(RemoveOrphanedTemporaries(dir / "missing folder" / "clip.avi"), 0);
}

// Names of up to 255 bytes, the most a folder holds, can be written: the temporary name is the
// one shortened (never inside a UTF-8 sequence), and a later run still knows it as an orphan.
TEST(TemporaryFiles, TheLongestNamesAreWrittenThroughAShortenedTemporaryName)
{
    const fs::path dir = test::scratchDir("temporary_long_names");
    for (const std::size_t length : {240u, 250u, 255u}) {
        std::string name(length - 4, 'a');
        name.replace(length - 10, 2, "\xC3\xA9"); // an accented letter near the cut
        name += ".avi";
        ASSERT_EQ(name.size(), length);
        const fs::path temporary = TemporaryNameFor(dir / name, 12345);
        EXPECT_LE(temporary.filename().string().size(), 255u) << length;
        EXPECT_TRUE(temporary.filename().string().ends_with(".~" + std::to_string(::getpid()) + "-12345"));
        {
            ReplacingFile file(dir / name);
            ASSERT_TRUE(file.append("data", 4)) << length << ": " << file.errorMessage();
            ASSERT_TRUE(file.commit()) << length << ": " << file.errorMessage();
        }
        EXPECT_EQ(namesIn(dir), std::vector<std::string>{name});
        fs::remove(dir / name);
    }
    fs::remove_all(dir);
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
