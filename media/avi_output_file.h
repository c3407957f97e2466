// The file a media writer fills: written under a temporary name beside the destination,
// appended through a small buffer, frames copied in-kernel, renamed into place at the end.
#pragma once

#include "media/dv_avi_writer.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <sys/uio.h>

namespace camlog::media {

// The first failure is kept: every later call returns it, and the temporary file is
// removed at once, so a full disk never leaves a file behind and never touches the
// destination.
class AviOutputFile {
public:
    using Status = std::optional<WriterError>;

    static core::Expected<std::unique_ptr<AviOutputFile>, WriterErrorCode> create(const std::filesystem::path &destination);
    // Removes the temporary file unless it was committed.
    ~AviOutputFile();
    AviOutputFile(const AviOutputFile &) = delete;
    AviOutputFile &operator=(const AviOutputFile &) = delete;

    // The size of the file with what is still buffered: the position of the next append.
    std::uint64_t size() const { return m_size; }
    const Status &error() const { return m_error; }

    Status append(std::span<const std::uint8_t> bytes);
    // Appends size bytes of another file from offset: copy_file_range where the kernel
    // allows it, else read and write. A source shorter than asked is a read error.
    Status appendFrom(int fd, std::uint64_t offset, std::uint32_t size);
    // Overwrites bytes already appended (headers and sizes filled in at the end).
    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);

    // Writes out the buffer, closes the file and renames it onto the destination. When the
    // destination existed, the data is flushed to disk first so a crash cannot leave the
    // old file replaced by an empty one.
    Status commit();
    // Removes the temporary file.
    void discard();

private:
    AviOutputFile(std::filesystem::path destination, std::filesystem::path temporary, int fd);
    Status flush();
    // Writes the buffer followed by bytes, and empties the buffer.
    Status writeBufferAnd(std::span<const std::uint8_t> bytes);
    Status writeAll(std::uint64_t offset, const std::uint8_t *data, std::size_t size);
    // Writes the parts one after the other at offset, whatever each call of the kernel takes.
    Status writeVectors(std::uint64_t offset, iovec *parts, int count);
    Status copyAll(int fd, std::uint64_t offset, std::uint64_t size);
    const Status &fail(int errorNumber, const std::string &what);

    std::filesystem::path m_destination;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    std::uint64_t m_size = 0;    // file size including the buffer
    std::uint64_t m_flushed = 0; // bytes already in the file
    std::vector<std::uint8_t> m_buffer;
    bool m_kernelCopy = true; // cleared when copy_file_range is refused between these files
    bool m_committed = false;
    Status m_error;
};

} // namespace camlog::media
