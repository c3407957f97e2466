// The file a media writer fills: temporary name, buffered appends, in-kernel copies, rename at the end.
#include "media/avi_output_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace camlog::media {

namespace {

// Appends gather here so that chunk headers and small audio chunks cost no system call each.
constexpr std::size_t kBufferSize = 1024 * 1024;
// Appends this large (DV frames) are written at once rather than copied into the buffer.
constexpr std::size_t kDirectWrite = 64 * 1024;
// The read-and-write fallback of appendFrom moves this much per read.
constexpr std::size_t kCopyBlock = 1024 * 1024;

std::atomic<unsigned> g_temporaryCounter{0};

bool isNoSpace(int errorNumber)
{
    return errorNumber == ENOSPC || errorNumber == EDQUOT || errorNumber == EFBIG;
}

// copy_file_range refuses some pairs of files (other file systems on old kernels, special
// files); those are copied through memory instead.
bool kernelCopyRefused(int errorNumber)
{
    return errorNumber == EXDEV || errorNumber == EINVAL || errorNumber == ENOSYS || errorNumber == EOPNOTSUPP
           || errorNumber == EBADF || errorNumber == ETXTBSY || errorNumber == EPERM;
}

} // namespace

core::Expected<std::unique_ptr<AviOutputFile>, WriterErrorCode> AviOutputFile::create(const std::filesystem::path &destination)
{
    const std::string name = destination.filename().string();
    if (name.empty())
        return WriterError{WriterErrorCode::CannotCreate, "No file name in \"" + destination.string() + "\""};
    const std::filesystem::path folder = destination.parent_path();
    // A hidden name in the destination's own folder: rename() is atomic only within one file system.
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path temporary = folder / ("." + name + ".~" + std::to_string(::getpid()) + "-"
                                                          + std::to_string(g_temporaryCounter.fetch_add(1)));
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::unique_ptr<AviOutputFile>(new AviOutputFile(destination, temporary, fd));
        error = errno;
        if (error != EEXIST)
            break;
    }
    return WriterError{WriterErrorCode::CannotCreate,
                       "Cannot create \"" + destination.string() + "\": " + std::strerror(error)};
}

AviOutputFile::AviOutputFile(std::filesystem::path destination, std::filesystem::path temporary, int fd)
    : m_destination(std::move(destination)), m_temporary(std::move(temporary)), m_fd(fd)
{
    m_buffer.reserve(kBufferSize);
}

AviOutputFile::~AviOutputFile()
{
    if (!m_committed)
        discard();
}

const AviOutputFile::Status &AviOutputFile::fail(int errorNumber, const std::string &what)
{
    if (!m_error) {
        const WriterErrorCode code = isNoSpace(errorNumber) ? WriterErrorCode::DiskFull : WriterErrorCode::WriteFailed;
        std::string message = what + " \"" + m_destination.string() + "\": ";
        message += isNoSpace(errorNumber) ? "the disk is full (" + std::string(std::strerror(errorNumber)) + ")"
                                          : std::string(std::strerror(errorNumber));
        m_error = WriterError{code, message};
        discard();
    }
    return m_error;
}

AviOutputFile::Status AviOutputFile::writeAll(std::uint64_t offset, const std::uint8_t *data, std::size_t size)
{
    iovec part{const_cast<std::uint8_t *>(data), size};
    return writeVectors(offset, &part, 1);
}

AviOutputFile::Status AviOutputFile::writeVectors(std::uint64_t offset, iovec *next, int count)
{
    while (count > 0) {
        if (next->iov_len == 0) {
            ++next;
            --count;
            continue;
        }
        const ssize_t written = ::pwritev(m_fd, next, count, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno, "Cannot write");
        }
        if (written == 0)
            return fail(ENOSPC, "Cannot write");
        offset += static_cast<std::uint64_t>(written);
        auto left = static_cast<std::size_t>(written);
        while (count > 0 && left >= next->iov_len) {
            left -= next->iov_len;
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<std::uint8_t *>(next->iov_base) + left;
            next->iov_len -= left;
        }
    }
    return std::nullopt;
}

AviOutputFile::Status AviOutputFile::flush()
{
    if (m_error)
        return m_error;
    if (m_buffer.empty())
        return std::nullopt;
    if (auto failed = writeAll(m_flushed, m_buffer.data(), m_buffer.size()))
        return failed;
    m_flushed += m_buffer.size();
    m_buffer.clear();
    return std::nullopt;
}

AviOutputFile::Status AviOutputFile::append(std::span<const std::uint8_t> bytes)
{
    if (m_error)
        return m_error;
    if (bytes.size() >= kDirectWrite) {
        // A frame goes out with what is buffered in one system call, without a copy.
        if (auto failed = writeBufferAnd(bytes))
            return failed;
    } else {
        if (m_buffer.size() + bytes.size() > kBufferSize) {
            if (auto failed = flush())
                return failed;
        }
        m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    }
    m_size += bytes.size();
    return std::nullopt;
}

AviOutputFile::Status AviOutputFile::writeBufferAnd(std::span<const std::uint8_t> bytes)
{
    std::array<iovec, 2> parts{iovec{m_buffer.data(), m_buffer.size()},
                               iovec{const_cast<std::uint8_t *>(bytes.data()), bytes.size()}};
    if (auto failed = writeVectors(m_flushed, parts.data(), static_cast<int>(parts.size())))
        return failed;
    m_flushed += m_buffer.size() + bytes.size();
    m_buffer.clear();
    return std::nullopt;
}

AviOutputFile::Status AviOutputFile::copyAll(int fd, std::uint64_t offset, std::uint64_t size)
{
    auto in = static_cast<off_t>(offset);
    auto out = static_cast<off_t>(m_flushed);
    std::uint64_t left = size;
    while (left > 0 && m_kernelCopy) {
        const ssize_t copied = ::copy_file_range(fd, &in, m_fd, &out, left, 0);
        if (copied < 0) {
            if (errno == EINTR)
                continue;
            if (kernelCopyRefused(errno) && left == size) {
                m_kernelCopy = false;
                break;
            }
            return fail(errno, "Cannot copy a frame into");
        }
        if (copied == 0)
            return fail(EIO, "The source frame ends early; cannot write");
        left -= static_cast<std::uint64_t>(copied);
    }
    if (left == 0)
        return std::nullopt;
    // Through memory: the kernel copy is not available for these files.
    std::vector<std::uint8_t> block(static_cast<std::size_t>(std::min<std::uint64_t>(left, kCopyBlock)));
    while (left > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        const ssize_t got = ::pread(fd, block.data(), want, in);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno, "Cannot read a frame for");
        }
        if (got == 0)
            return fail(EIO, "The source frame ends early; cannot write");
        if (auto failed = writeAll(static_cast<std::uint64_t>(out), block.data(), static_cast<std::size_t>(got)))
            return failed;
        in += got;
        out += got;
        left -= static_cast<std::uint64_t>(got);
    }
    return std::nullopt;
}

AviOutputFile::Status AviOutputFile::appendFrom(int fd, std::uint64_t offset, std::uint32_t size)
{
    if (auto failed = flush())
        return failed;
    if (auto failed = copyAll(fd, offset, size))
        return failed;
    m_flushed += size;
    m_size += size;
    return std::nullopt;
}

AviOutputFile::Status AviOutputFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    if (m_error)
        return m_error;
    if (offset > m_size || bytes.size() > m_size - offset)
        return fail(EINVAL, "Write past the end of");
    if (offset + bytes.size() > m_flushed) {
        if (auto failed = flush())
            return failed;
    }
    return writeAll(offset, bytes.data(), bytes.size());
}

AviOutputFile::Status AviOutputFile::commit()
{
    if (m_committed)
        return std::nullopt;
    if (auto failed = flush())
        return failed;
    std::error_code ignored;
    const bool replacing = std::filesystem::exists(m_destination, ignored);
    if (replacing && ::fdatasync(m_fd) != 0)
        return fail(errno, "Cannot write");
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(errno, "Cannot write");
    if (::rename(m_temporary.c_str(), m_destination.c_str()) != 0)
        return fail(errno, "Cannot replace");
    m_committed = true;
    return std::nullopt;
}

void AviOutputFile::discard()
{
    if (m_committed)
        return;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

} // namespace camlog::media
