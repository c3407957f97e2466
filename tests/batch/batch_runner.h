// Runs the built camlog program for end-to-end tests: in a scratch folder whose HOME, settings and
// Trash are its own, with standard input not a terminal, capturing both output streams.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace camlog::test {

struct BatchResult {
    int status = -1; // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
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

    const std::filesystem::path &root() const { return m_root; }
    std::filesystem::path trashFiles() const;
    std::filesystem::path settingsFile() const;

private:
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
