// The freedesktop shell: the Trash, the default handler (a fake xdg-open records what it is
// given), the file manager's fallback without a session bus, and detached programs.
#include "commands/shell/freedesktop_shell.h"

#include "shell_test_env.h"
#include "support/test_files.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <csignal>
#include <cstdlib>

#include <sys/wait.h>
#include <unistd.h>

namespace camlog::commands {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// ---- Trash ---------------------------------------------------------------------------------

class TrashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch = camlog::test::scratchDir("trash");
        home = scratch / "home";
        data = scratch / "data";
        videos = scratch / "videos";
        fs::create_directories(home);
        fs::create_directories(data);
        fs::create_directories(videos);
        env.set("HOME", home.string()); // the Trash of the home partition, as the scratch folder's
        env.set("XDG_DATA_HOME", data.string());
    }

    fs::path scratch, home, data, videos;
    camlog::test::ScopedEnv env;
    FreedesktopShell shell;
};

TEST_F(TrashTest, TheFileGoesToTheTrashWithItsPathAsItWas)
{
    const fs::path video = videos / "Clip One.AVI";
    WriteText(video, "dv");
    ASSERT_TRUE(shell.RecycleFile(video.string()));
    EXPECT_FALSE(fs::exists(video));
    EXPECT_EQ(ReadText(data / "Trash/files/Clip One.AVI"), "dv");
    const std::string info = ReadText(data / "Trash/info/Clip One.AVI.trashinfo");
    const auto at = info.find("Path=");
    ASSERT_NE(at, std::string::npos) << info;
    const std::string encoded = info.substr(at + 5, info.find('\n', at) - at - 5);
    // The case is kept: on this file system Clip One.AVI and clip one.avi are two files.
    EXPECT_EQ(QUrl::fromPercentEncoding(QByteArray::fromStdString(encoded)).toStdString(), video.string());
}

// A first deletion on a fresh account: neither the data home nor the Trash exists yet.
TEST_F(TrashTest, AMissingTrashIsCreatedPrivateAndTheFileLandsInIt)
{
    const fs::path fresh = scratch / "fresh" / "share";
    fs::create_directories(fresh.parent_path());
    env.set("XDG_DATA_HOME", fresh.string());
    const fs::path video = videos / "clip.avi";
    WriteText(video, "dv");
    ASSERT_TRUE(shell.RecycleFile(video.string()));
    EXPECT_FALSE(fs::exists(video));
    EXPECT_EQ(ReadText(fresh / "Trash/files/clip.avi"), "dv");
    EXPECT_TRUE(fs::exists(fresh / "Trash/info/clip.avi.trashinfo"));
    for (const fs::path &folder : {fresh, fresh / "Trash", fresh / "Trash/files", fresh / "Trash/info"})
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all) << folder;
    // The folder that was there keeps its mode.
    EXPECT_NE(fs::status(scratch / "fresh").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists("files/clip.avi"));
}

TEST_F(TrashTest, AMissingFileOrAFolderIsNotTrashed)
{
    EXPECT_FALSE(shell.RecycleFile((videos / "missing.avi").string()));
    EXPECT_FALSE(shell.RecycleFile(""));
    fs::create_directories(videos / "folder.scn");
    EXPECT_FALSE(shell.RecycleFile((videos / "folder.scn").string()));
    EXPECT_TRUE(fs::is_directory(videos / "folder.scn"));
    EXPECT_FALSE(fs::exists(data / "Trash/files/folder.scn"));
}

// Runs the check in a child process; as root, the child drops to "nobody" first, because
// permissions do not stop root. The child's exit status is the check's result.
int RunUnprivileged(const std::function<int()> &check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST_F(TrashTest, AFileInAFolderWithoutWritePermissionStaysAndGivesFalse)
{
    const fs::path open = videos / "open";
    const fs::path locked = videos / "locked";
    fs::create_directories(open);
    fs::create_directories(locked);
    WriteText(open / "a.avi", "a");
    WriteText(locked / "b.avi", "b");
    if (::geteuid() == 0) {
        // The unprivileged child owns its home, its Trash and the open folder.
        for (const fs::path &p : {home, data, open, open / "a.avi"})
            ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
                                | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    constexpr int kUnreachable = 50;
    const int result = RunUnprivileged([&] {
        // A build tree under a private home cannot be reached by an unprivileged user at all.
        if (::access(open.c_str(), W_OK | X_OK) != 0 || ::access(data.c_str(), W_OK | X_OK) != 0)
            return kUnreachable;
        const bool openTrashed = shell.RecycleFile((open / "a.avi").string());
        const bool lockedTrashed = shell.RecycleFile((locked / "b.avi").string());
        return (openTrashed ? 1 : 0) | (lockedTrashed ? 2 : 0);
    });
    fs::permissions(locked, fs::perms::owner_all, fs::perm_options::add);
    if (result == kUnreachable)
        GTEST_SKIP() << "the scratch folder cannot be reached without privileges";
    EXPECT_EQ(result, 1) << "1: the file of the open folder trashed, the other not";
    EXPECT_FALSE(fs::exists(open / "a.avi"));
    EXPECT_EQ(ReadText(locked / "b.avi"), "b");
    EXPECT_FALSE(fs::exists(data / "Trash/files/b.avi"));
    EXPECT_FALSE(fs::exists(data / "Trash/info/b.avi.trashinfo"));
}

// ---- Default handler and file manager ------------------------------------------------------

// A fake xdg-open in bin, put first on PATH: each call leaves a file in calls with its arguments,
// one per line.
void InstallFakeXdgOpen(const fs::path &bin, const fs::path &calls, camlog::test::ScopedEnv &env)
{
    fs::create_directories(bin);
    fs::create_directories(calls);
    const fs::path script = bin / "xdg-open";
    WriteText(script, "#!/bin/sh\n"
                      "tmp=\""
                          + bin.string()
                          + "/call.$$\"\n"
                            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$tmp\"\n"
                            "mv \"$tmp\" \""
                          + calls.string() + "/\"\n");
    fs::permissions(script, fs::perms::owner_all);
    const char *path = std::getenv("PATH");
    env.set("PATH", bin.string() + ":" + (path ? path : "/usr/bin:/bin"));
}

class DefaultHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch = camlog::test::scratchDir("handler");
        bin = scratch / "bin";
        calls = scratch / "calls";
        InstallFakeXdgOpen(bin, calls, env);
        // No session bus: the file manager cannot be asked.
        env.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (scratch / "no-bus").string());
    }

    // The arguments of the one call to xdg-open.
    std::string Called()
    {
        const auto files = camlog::test::waitForFiles(calls);
        if (files.size() != 1)
            return "(" + std::to_string(files.size()) + " calls)";
        return ReadText(files.front());
    }

    fs::path scratch, bin, calls;
    camlog::test::ScopedEnv env;
    FreedesktopShell shell;
};

TEST_F(DefaultHandlerTest, ALocalFileIsHandedOverAsItsAbsolutePath)
{
    const fs::path video = scratch / "My Videos" / "clip #1.avi";
    fs::create_directories(video.parent_path());
    WriteText(video, "dv");
    EXPECT_TRUE(shell.OpenDocument(video.string()));
    EXPECT_EQ(Called(), video.string() + "\n");
}

TEST_F(DefaultHandlerTest, AnAddressIsEncodedWhereAUriNeedsIt)
{
    EXPECT_TRUE(shell.OpenDocument("https://example.org/camlog page?lang=en"));
    EXPECT_EQ(Called(), "https://example.org/camlog%20page?lang=en\n");
}

TEST_F(DefaultHandlerTest, AMailKeepsTheCallersEscapesAndEncodesTheBlanks)
{
    EXPECT_TRUE(shell.SendMailTo("maker@example.org", "About  Camlog 7.0.9En", "Hello Ovrand,%0D%0A"));
    EXPECT_EQ(Called(), "mailto:maker@example.org?subject=About%20%20Camlog%207.0.9En&body=Hello%20Ovrand,%0D%0A\n");
}

TEST_F(DefaultHandlerTest, WithoutASessionBusTheFileManagerFallsBackToTheFolder)
{
    const fs::path video = scratch / "tapes" / "clip.avi";
    fs::create_directories(video.parent_path());
    WriteText(video, "dv");
    EXPECT_TRUE(shell.ShowInFolder(video.string()));
    EXPECT_EQ(Called(), (scratch / "tapes").string() + "\n");
}

TEST_F(DefaultHandlerTest, WithoutXdgOpenNothingHappensNothingHangsAndTheCallerIsTold)
{
    env.set("PATH", (scratch / "empty").string());
    EXPECT_FALSE(shell.OpenDocument((scratch / "clip.avi").string()));
    EXPECT_FALSE(shell.SendMailTo("maker@example.org", "About", "Hello"));
    EXPECT_FALSE(shell.ShowInFolder((scratch / "clip.avi").string()));
    EXPECT_TRUE(fs::is_empty(calls));
}

// xdg-open's own answer: 3 and 4 when no handler exists or the handler failed; a handler still
// busy after the wait (a browser in the foreground) counts as opened.
TEST_F(DefaultHandlerTest, XdgOpensAnswerIsTheCallersAnswer)
{
    const struct {
        const char *script;
        bool opened;
    } cases[] = {
        {"#!/bin/sh\nexit 0\n", true},
        {"#!/bin/sh\nexit 3\n", false},
        {"#!/bin/sh\nexit 4\n", false},
        {"#!/bin/sh\nsleep 5\n", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.script);
        WriteText(bin / "xdg-open", c.script);
        fs::permissions(bin / "xdg-open", fs::perms::owner_all);
        EXPECT_EQ(shell.OpenDocument("https://example.org/"), c.opened);
    }
}

// ---- File manager over D-Bus -----------------------------------------------------------------

// A private bus with a stand-in file manager on it, both stopped by their process ids.
class FileManagerBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch = camlog::test::scratchDir("file_manager");
        calls = scratch / "calls";
        fs::create_directories(calls);
        fs::create_directories(scratch / "ready");
        // A socket path has a short limit: the bus lives in /tmp under a name of its own.
        const auto daemon = camlog::test::runCommand(
            "dbus-daemon --session --address=unix:tmpdir=/tmp --fork --print-address=1 --print-pid=1 2>/dev/null");
        const auto newline = daemon.output.find('\n');
        if (!daemon.ok || newline == std::string::npos)
            GTEST_SKIP() << "no dbus-daemon";
        address = daemon.output.substr(0, newline);
        daemonPid = std::atoi(daemon.output.c_str() + newline + 1);
    }

    void StartFileManager(const std::string &mode = "")
    {
        const auto manager = camlog::test::runCommand(
            "DBUS_SESSION_BUS_ADDRESS='" + address + "' '" + CAMLOG_FAKE_FILE_MANAGER + "' '" + calls.string() + "' '"
            + (scratch / "ready/ready").string() + "' " + mode + " >/dev/null 2>&1 & echo $!");
        ASSERT_TRUE(manager.ok);
        managerPid = std::atoi(manager.output.c_str());
        ASSERT_EQ(camlog::test::waitForFiles(scratch / "ready").size(), 1u) << "the file manager did not start";
    }

    void TearDown() override
    {
        if (managerPid > 0)
            ::kill(managerPid, SIGTERM);
        if (daemonPid > 0)
            ::kill(daemonPid, SIGTERM);
    }

    fs::path scratch, calls;
    std::string address;
    pid_t daemonPid = 0, managerPid = 0;
    camlog::test::ScopedEnv env;
};

TEST_F(FileManagerBusTest, TheFileManagerIsAskedToShowTheFileByItsUri)
{
    const fs::path video = scratch / "My Tapes" / "clip 1.avi";
    fs::create_directories(video.parent_path());
    WriteText(video, "dv");
    ASSERT_NO_FATAL_FAILURE(StartFileManager());
    env.set("PATH", (scratch / "empty").string()); // no xdg-open: only the bus can show the file
    FreedesktopShell shell;
    shell.busAddress = address;
    shell.ShowInFolder(video.string());
    const auto files = camlog::test::waitForFiles(calls);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(
        ReadText(files.front()),
        "uri " + QUrl::fromLocalFile(QString::fromStdString(video.string())).toString(QUrl::FullyEncoded).toStdString()
            + "\nstartup []\n");
    EXPECT_NE(ReadText(files.front()).find("My%20Tapes/clip%201.avi"), std::string::npos);
}

TEST_F(FileManagerBusTest, ABusWithoutAFileManagerFallsBackToTheFolder)
{
    const fs::path video = scratch / "tapes" / "clip.avi";
    fs::create_directories(video.parent_path());
    WriteText(video, "dv");
    const fs::path opened = scratch / "opened";
    InstallFakeXdgOpen(scratch / "bin", opened, env);
    FreedesktopShell shell;
    shell.busAddress = address;
    shell.ShowInFolder(video.string());
    const auto files = camlog::test::waitForFiles(opened);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadText(files.front()), (scratch / "tapes").string() + "\n");
}

TEST_F(FileManagerBusTest, AFileManagerThatIsSlowToAnswerIsNotDoubledByTheFolder)
{
    ASSERT_NO_FATAL_FAILURE(StartFileManager("silent"));
    const fs::path video = scratch / "tapes" / "clip.avi";
    fs::create_directories(video.parent_path());
    WriteText(video, "dv");
    const fs::path opened = scratch / "opened";
    InstallFakeXdgOpen(scratch / "bin", opened, env);
    FreedesktopShell shell;
    shell.busAddress = address;
    shell.showItemsTimeoutMs = 200;
    shell.ShowInFolder(video.string());
    EXPECT_EQ(camlog::test::waitForFiles(calls).size(), 1u); // the file manager had the request
    // A fallback would have started xdg-open before this marker.
    shell.OpenDocument((scratch / "marker").string());
    const auto files = camlog::test::waitForFiles(opened);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadText(files.front()), (scratch / "marker").string() + "\n");
}

// ---- Programs --------------------------------------------------------------------------------

TEST(StartProgram, AMissingOrEmptyProgramGivesFalse)
{
    FreedesktopShell shell;
    const fs::path scratch = camlog::test::scratchDir("program");
    EXPECT_FALSE(shell.StartProgram((scratch / "no-such-program").string(), {"x"}));
    EXPECT_FALSE(shell.StartProgram("no-such-program-anywhere-on-path", {}));
    EXPECT_FALSE(shell.StartProgram("", {"x"}));
}

TEST(StartProgram, TheArgumentsArriveAsTheyAre)
{
    FreedesktopShell shell;
    const fs::path scratch = camlog::test::scratchDir("program");
    fs::create_directories(scratch / "out");
    const fs::path tmp = scratch / "args";
    ASSERT_TRUE(shell.StartProgram("/bin/sh", {"-c",
                                               "printf '%s|' \"$@\" > '" + tmp.string() + "'; mv '" + tmp.string()
                                                   + "' '" + (scratch / "out").string() + "/'",
                                               "sh", "/v/My clip.avi", "+F=\"x\"", ""}));
    const auto files = camlog::test::waitForFiles(scratch / "out");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadText(files.front()), "/v/My clip.avi|+F=\"x\"||");
}

} // namespace
} // namespace camlog::commands
