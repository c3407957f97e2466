// The file a media writer fills: appended through a small buffer onto core's replacing file,
// which writes it under a temporary name beside the destination and renames it at the end.
#pragma once

#include "core/replacing_file.h"
#include "media/writing/dv_avi_writer.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace camlog::media {

// The first failure is kept: every later call returns it, and the temporary file is
// removed at once, so a full disk never leaves a file behind and never touches the
// destination.
class AviOutputFile {
public:
    static core::Expected<std::unique_ptr<AviOutputFile>, WriterErrorCode>
    create(const std::filesystem::path &destination);
    // Removes the temporary file unless it was committed.
    ~AviOutputFile();
    AviOutputFile(const AviOutputFile &) = delete;
    AviOutputFile &operator=(const AviOutputFile &) = delete;

    // The size of the file with what is still buffered: the position of the next append.
    std::uint64_t size() const { return m_size; }
    const std::optional<WriterError> &error() const { return m_error; }

    WriteResult append(std::span<const std::uint8_t> bytes);
    // Overwrites bytes already appended (headers and sizes filled in at the end).
    WriteResult writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);

    // Writes out the buffer, closes the file and renames it onto the destination. When the
    // destination existed, the data is flushed to disk first so a crash cannot leave the
    // old file replaced by an empty one.
    WriteResult commit();
    // Removes the temporary file.
    void discard();

private:
    explicit AviOutputFile(const std::filesystem::path &destination);
    WriteResult flush();
    // The first failure of the file, as the writer reports it.
    const WriterError &failed();

    core::ReplacingFile m_file;
    std::uint64_t m_size = 0; // file size including the buffer
    std::vector<std::uint8_t> m_buffer;
    std::optional<WriterError> m_error;
};

} // namespace camlog::media
