// A file written under a temporary name beside its destination and put in place only when every write succeeded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace camlog::core {

// The destination keeps its old content (or stays absent) until commit() renames the finished
// file onto it, so a full disk, a removed folder or a crash never leaves it half written. The
// first failure is kept; every later write is then skipped.
class ReplacingFile {
public:
    explicit ReplacingFile(std::filesystem::path destination);
    // Abandons the file unless it was committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile &) = delete;
    ReplacingFile &operator=(const ReplacingFile &) = delete;

    bool ok() const { return m_error.empty(); }
    // What failed, with the system's reason; empty while ok().
    const std::string &errorMessage() const { return m_error; }
    const std::filesystem::path &destination() const { return m_destination; }
    bool committed() const { return m_committed; }

    // Appends at the end of what was written so far.
    bool append(const void *data, std::size_t size);
    // Overwrites bytes already written (offset + size must not pass the end).
    bool writeAt(std::uint64_t offset, const void *data, std::size_t size);
    std::uint64_t size() const { return m_size; }

    // Flushes to disk and renames onto the destination. On failure the temporary file is
    // removed and the destination is untouched. After a commit, further calls return true;
    // after abandon() they return false.
    bool commit();
    // Removes the temporary file; the destination is untouched.
    void abandon();

private:
    bool fail(const std::string &what, int errorNumber);
    bool writeAll(std::uint64_t offset, const void *data, std::size_t size);
    void closeAndRemove();

    std::filesystem::path m_destination;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    std::uint64_t m_size = 0;
    bool m_committed = false;
    std::string m_error;
};

} // namespace camlog::core
