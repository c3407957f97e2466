// Runs the built camlog program for end-to-end tests: in a scratch folder whose HOME, settings and
// Trash are its own, with standard input not a terminal, capturing both output streams.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace camlog::test {

struct BatchResult {
    int status = -1; // exit status; -1 when the program did not exit normally
    int signal = 0;  // the signal that ended it, when it did not exit
    std::string out;
    std::string err;
};

// A program started and not yet waited for, to be signalled while it works.
struct RunningProgram {
    int pid = -1; // -1 when it could not be started
    std::string error;
};

class BatchRunner {
public:
    // root: the scratch folder; HOME is root/home, XDG_CONFIG_HOME root/home/.config,
    // XDG_DATA_HOME root/home/.local/share (so the Trash is root/home/.local/share/Trash).
    explicit BatchRunner(std::filesystem::path root);

    // Runs `camlog ARGS...` with the working folder cwd (root when empty).
    BatchResult run(const std::vector<std::string> &args, const std::filesystem::path &cwd = {}) const;
    // Runs `camlog --batch ARGS...`.
    BatchResult batch(const std::vector<std::string> &args, const std::filesystem::path &cwd = {}) const;
    // Runs `camlog --batch ARGS...` with standard input a terminal on which `typed` has been
    // typed (the questions are then asked; "n\n" answers one with No).
    BatchResult batchAtTerminal(const std::string &typed, const std::vector<std::string> &args) const;
    // Starts `camlog --batch ARGS...` and returns at once; wait() collects its result.
    RunningProgram startBatch(const std::vector<std::string> &args, const std::filesystem::path &cwd = {}) const;
    BatchResult wait(const RunningProgram &program) const;

    const std::filesystem::path &root() const { return m_root; }
    std::filesystem::path trashFiles() const;
    std::filesystem::path settingsFile() const;

private:
    // input: the file standard input reads (/dev/null when empty).
    RunningProgram start(const std::vector<std::string> &args, const std::filesystem::path &cwd,
                         const std::string &input = {}) const;

    std::filesystem::path m_root;
};

// The path of the program under test.
std::filesystem::path CamlogProgram();

// The lines of a UTF-16 little-endian text with its byte-order mark and CR LF line ends (the
// playlist and detailed list format), as UTF-8.
std::vector<std::string> ReadUtf16Lines(const std::filesystem::path &path);

// Writes a text file as it stands.
void WriteText(const std::filesystem::path &path, const std::string &text);

} // namespace camlog::test
