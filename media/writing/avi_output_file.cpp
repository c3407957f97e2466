// The file a media writer fills: buffered appends onto core's replacing file.
#include "media/writing/avi_output_file.h"

#include <array>
#include <cerrno>

namespace camlog::media {

namespace {

// Appends gather here so that chunk headers and small audio chunks cost no system call each.
constexpr std::size_t kBufferSize = 1024 * 1024;
// Appends this large (DV frames) are written at once rather than copied into the buffer.
constexpr std::size_t kDirectWrite = 64 * 1024;

} // namespace

core::Expected<std::unique_ptr<AviOutputFile>, WriterErrorCode>
AviOutputFile::create(const std::filesystem::path &destination)
{
    std::unique_ptr<AviOutputFile> file(new AviOutputFile(destination));
    if (!file->m_file.ok())
        return WriterError{WriterErrorCode::CannotCreate, file->m_file.errorMessage()};
    return file;
}

AviOutputFile::AviOutputFile(const std::filesystem::path &destination)
    : m_file(destination, core::ReplacingFile::Sync::WhenReplacing)
{
    m_buffer.reserve(kBufferSize);
}

AviOutputFile::~AviOutputFile() = default;

const WriterError &AviOutputFile::failed()
{
    if (!m_error) {
        const WriterErrorCode code = core::ReplacingFile::isNoSpace(m_file.errorNumber())
                                         ? WriterErrorCode::DiskFull
                                         : WriterErrorCode::WriteFailed;
        m_error = WriterError{code, m_file.errorMessage()};
        m_buffer.clear();
        m_buffer.shrink_to_fit();
    }
    return *m_error;
}

WriteResult AviOutputFile::flush()
{
    if (m_error)
        return *m_error;
    if (m_buffer.empty())
        return {};
    if (!m_file.append(m_buffer.data(), m_buffer.size()))
        return failed();
    m_buffer.clear();
    return {};
}

WriteResult AviOutputFile::append(std::span<const std::uint8_t> bytes)
{
    if (m_error)
        return *m_error;
    if (bytes.size() >= kDirectWrite) {
        // A frame goes out with what is buffered in one system call, without a copy.
        const std::array<std::span<const std::uint8_t>, 2> parts{std::span<const std::uint8_t>(m_buffer), bytes};
        if (!m_file.appendParts(parts))
            return failed();
        m_buffer.clear();
    } else {
        if (m_buffer.size() + bytes.size() > kBufferSize) {
            if (auto done = flush(); !done)
                return done;
        }
        m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    }
    m_size += bytes.size();
    return {};
}

WriteResult AviOutputFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    if (m_error)
        return *m_error;
    if (offset > m_size || bytes.size() > m_size - offset) {
        m_error = WriterError{WriterErrorCode::WriteFailed,
                              "Write past the end of \"" + m_file.destination().string() + "\""};
        discard();
        return *m_error;
    }
    if (offset + bytes.size() > m_file.size()) {
        if (auto done = flush(); !done)
            return done;
    }
    if (!m_file.writeAt(offset, bytes.data(), bytes.size()))
        return failed();
    return {};
}

WriteResult AviOutputFile::commit()
{
    if (m_file.committed())
        return {};
    if (auto done = flush(); !done)
        return done;
    if (!m_file.commit())
        return failed();
    return {};
}

void AviOutputFile::discard()
{
    if (m_file.committed())
        return;
    m_file.abandon();
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

} // namespace camlog::media
