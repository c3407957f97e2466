// The end-to-end runner of the camlog program.
#include "batch/batch_runner.h"

#include "core/text_encoding.h"
#include "support/test_files.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace camlog::test {

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Replaced(const char *entry)
{
    for (const char *name : {"HOME=", "XDG_CONFIG_HOME=", "XDG_DATA_HOME=", "TZ="})
        if (std::strncmp(entry, name, std::strlen(name)) == 0)
            return true;
    return false;
}

} // namespace

fs::path CamlogProgram()
{
    return CAMLOG_PROGRAM;
}

BatchRunner::BatchRunner(fs::path root) : m_root(std::move(root))
{
    fs::create_directories(m_root / "home" / ".config");
    fs::create_directories(m_root / "home" / ".local" / "share");
}

fs::path BatchRunner::trashFiles() const
{
    return m_root / "home" / ".local" / "share" / "Trash" / "files";
}

fs::path BatchRunner::settingsFile() const
{
    return m_root / "home" / ".config" / "Ovrand" / "Camlog.ini";
}

RunningProgram BatchRunner::start(const std::vector<std::string> &args, const fs::path &cwd,
                                  const std::string &input) const
{
    const fs::path outPath = m_root / "camlog.stdout";
    const fs::path errPath = m_root / "camlog.stderr";
    const std::string home = (m_root / "home").string();

    std::vector<std::string> env;
    for (char **entry = environ; *entry != nullptr; ++entry)
        if (!Replaced(*entry))
            env.emplace_back(*entry);
    env.push_back("HOME=" + home);
    env.push_back("XDG_CONFIG_HOME=" + home + "/.config");
    env.push_back("XDG_DATA_HOME=" + home + "/.local/share");
    env.push_back("TZ=UTC"); // datecodes are local times; file dates compare in UTC
    std::vector<char *> envp;
    for (auto &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::string program = CamlogProgram().string();
    std::vector<std::string> argStore{program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string inPath = input.empty() ? std::string("/dev/null") : input;
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDWR | O_NOCTTY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string dir = (cwd.empty() ? m_root : cwd).string();
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

    RunningProgram running;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        running.error = "spawn failed: " + std::string(std::strerror(spawned));
    else
        running.pid = pid;
    return running;
}

BatchResult BatchRunner::wait(const RunningProgram &program) const
{
    BatchResult result;
    if (program.pid < 0) {
        result.err = program.error;
        return result;
    }
    int status = 0;
    while (waitpid(program.pid, &status, 0) < 0 && errno == EINTR) {}
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.out = ReadFile(m_root / "camlog.stdout");
    result.err = ReadFile(m_root / "camlog.stderr");
    return result;
}

BatchResult BatchRunner::run(const std::vector<std::string> &args, const fs::path &cwd) const
{
    return wait(start(args, cwd));
}

BatchResult BatchRunner::batch(const std::vector<std::string> &args, const fs::path &cwd) const
{
    std::vector<std::string> all{"--batch"};
    all.insert(all.end(), args.begin(), args.end());
    return run(all, cwd);
}

BatchResult BatchRunner::batchAtTerminal(const std::string &typed, const std::vector<std::string> &args) const
{
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal < 0 || ::grantpt(terminal) != 0 || ::unlockpt(terminal) != 0) {
        BatchResult failed;
        failed.err = "no pseudo-terminal: " + std::string(std::strerror(errno));
        if (terminal >= 0)
            ::close(terminal);
        return failed;
    }
    const std::string device = ::ptsname(terminal);
    // Typed ahead: the terminal keeps the lines until the program reads them.
    if (::write(terminal, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) {
        ::close(terminal);
        BatchResult failed;
        failed.err = "cannot type on the terminal";
        return failed;
    }
    std::vector<std::string> all{"--batch"};
    all.insert(all.end(), args.begin(), args.end());
    BatchResult result = wait(start(all, {}, device));
    ::close(terminal);
    return result;
}

RunningProgram BatchRunner::startBatch(const std::vector<std::string> &args, const fs::path &cwd) const
{
    std::vector<std::string> all{"--batch"};
    all.insert(all.end(), args.begin(), args.end());
    return start(all, cwd);
}

std::vector<std::string> ReadUtf16Lines(const fs::path &path)
{
    const std::string bytes = ReadFile(path);
    std::vector<std::string> lines;
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF
        || static_cast<unsigned char>(bytes[1]) != 0xFE)
        return lines;
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i])
                                              | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    const std::string text = core::Utf16ToUtf8(units);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void WriteText(const fs::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace camlog::test
