// A file written under a temporary name beside its destination and put in place only when every write succeeded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace camlog::core {

// The destination keeps its old content (or stays absent) until commit() renames the finished
// file onto it, so a full disk, a removed folder or a crash never leaves it half written. The
// first failure is kept and the temporary file is removed at once; every later write is then
// skipped. The temporary file is registered for removal at a quick exit of the program
// (core/temporary_files.h), and creating one first removes those a dead process left for the
// same destination.
class ReplacingFile {
public:
    // When commit() flushes the data to disk before the rename: always, or only when an existing
    // file is replaced (a crash could otherwise leave it replaced by an empty file; a new file
    // has nothing to lose, and large new files are not held up by the flush).
    enum class Sync { Always, WhenReplacing };

    explicit ReplacingFile(std::filesystem::path destination, Sync sync = Sync::Always);
    // Abandons the file unless it was committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile &) = delete;
    ReplacingFile &operator=(const ReplacingFile &) = delete;

    bool ok() const { return m_error.empty(); }
    // What failed, with the system's reason; empty while ok().
    const std::string &errorMessage() const { return m_error; }
    // The system's error number of the first failure; 0 while ok().
    int errorNumber() const { return m_errorNumber; }
    // The system's reasons that mean the disk (or the file size limit) is full.
    static bool isNoSpace(int errorNumber);
    const std::filesystem::path &destination() const { return m_destination; }
    bool committed() const { return m_committed; }

    // Appends at the end of what was written so far.
    bool append(const void *data, std::size_t size);
    // Appends the parts one after the other in one gathered write.
    bool appendParts(std::span<const std::span<const std::uint8_t>> parts);
    // Overwrites bytes already written (offset + size must not pass the end).
    bool writeAt(std::uint64_t offset, const void *data, std::size_t size);
    std::uint64_t size() const { return m_size; }

    // Flushes to disk (see Sync) and renames onto the destination. On failure the temporary
    // file is removed and the destination is untouched. After a commit, further calls return
    // true; after abandon() they return false.
    bool commit();
    // Removes the temporary file; the destination is untouched.
    void abandon();

private:
    bool fail(const std::string &what, int errorNumber);
    bool writeAll(std::uint64_t offset, const void *data, std::size_t size);
    bool writeParts(std::uint64_t offset, std::span<const std::span<const std::uint8_t>> parts);
    void closeAndRemove();

    std::filesystem::path m_destination;
    std::filesystem::path m_temporary;
    Sync m_sync;
    int m_fd = -1;
    int m_slot = -1; // in the table of temporary files
    std::uint64_t m_size = 0;
    bool m_committed = false;
    std::string m_error;
    int m_errorNumber = 0;
};

} // namespace camlog::core
