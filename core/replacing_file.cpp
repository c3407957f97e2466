// A file written under a temporary name beside its destination and put in place only when every write succeeded.
#include "core/replacing_file.h"

#include "core/temporary_files.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace camlog::core {

namespace {

std::atomic<unsigned> g_temporaryCounter{0};

// Parts given to one gathered write at most (IOV_MAX is far above).
constexpr std::size_t kMaxParts = 16;

} // namespace

ReplacingFile::ReplacingFile(std::filesystem::path destination, Sync sync)
    : m_destination(std::move(destination)),
      m_sync(sync)
{
    const std::string name = m_destination.filename().string();
    if (name.empty()) {
        fail("No file name in \"" + m_destination.string() + "\"", EINVAL);
        return;
    }
    RemoveOrphanedTemporaries(m_destination);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = TemporaryNameFor(m_destination, g_temporaryCounter.fetch_add(1));
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_slot = RegisterTemporary(m_temporary);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    m_temporary.clear();
    fail("Cannot create \"" + m_destination.string() + "\"", error);
}

ReplacingFile::~ReplacingFile()
{
    if (!m_committed)
        abandon();
}

bool ReplacingFile::isNoSpace(int errorNumber)
{
    return errorNumber == ENOSPC || errorNumber == EDQUOT || errorNumber == EFBIG;
}

bool ReplacingFile::fail(const std::string &what, int errorNumber)
{
    if (m_error.empty()) {
        m_error = what + ": "
                  + (isNoSpace(errorNumber) ? "the disk is full (" + std::string(std::strerror(errorNumber)) + ")"
                                            : std::string(std::strerror(errorNumber)));
        m_errorNumber = errorNumber;
        // Nothing written after a failure can be used: the space goes back at once.
        closeAndRemove();
    }
    return false;
}

bool ReplacingFile::writeAll(std::uint64_t offset, const void *data, std::size_t size)
{
    const std::array<std::span<const std::uint8_t>, 1> part{
        std::span<const std::uint8_t>(static_cast<const std::uint8_t *>(data), size)};
    return writeParts(offset, part);
}

bool ReplacingFile::writeParts(std::uint64_t offset, std::span<const std::span<const std::uint8_t>> parts)
{
    std::array<iovec, kMaxParts> vectors{};
    std::size_t count = 0;
    for (const auto &part : parts) {
        if (part.empty())
            continue;
        if (count == vectors.size())
            return fail("Cannot write \"" + m_destination.string() + "\"", EINVAL);
        vectors[count++] = iovec{const_cast<std::uint8_t *>(part.data()), part.size()};
    }
    iovec *next = vectors.data();
    while (count > 0) {
        const ssize_t written = ::pwritev(m_fd, next, static_cast<int>(count), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail("Cannot write \"" + m_destination.string() + "\"", errno);
        }
        if (written == 0)
            return fail("Cannot write \"" + m_destination.string() + "\"", ENOSPC);
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
    return true;
}

bool ReplacingFile::append(const void *data, std::size_t size)
{
    if (!ok() || m_fd < 0)
        return false;
    if (!writeAll(m_size, data, size))
        return false;
    m_size += size;
    return true;
}

bool ReplacingFile::appendParts(std::span<const std::span<const std::uint8_t>> parts)
{
    if (!ok() || m_fd < 0)
        return false;
    if (!writeParts(m_size, parts))
        return false;
    for (const auto &part : parts)
        m_size += part.size();
    return true;
}

bool ReplacingFile::writeAt(std::uint64_t offset, const void *data, std::size_t size)
{
    if (!ok() || m_fd < 0)
        return false;
    if (offset > m_size || size > m_size - offset)
        return fail("Write past the end of \"" + m_destination.string() + "\"", EINVAL);
    return writeAll(offset, data, size);
}

void ReplacingFile::closeAndRemove()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
    UnregisterTemporary(m_slot);
    m_slot = -1;
}

bool ReplacingFile::commit()
{
    if (m_committed)
        return true;
    if (m_fd < 0)
        return false;
    std::error_code ignored;
    const bool flush = m_sync == Sync::Always || std::filesystem::exists(m_destination, ignored);
    if (ok() && flush && ::fsync(m_fd) != 0)
        fail("Cannot write \"" + m_destination.string() + "\"", errno);
    if (!ok())
        return false;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail("Cannot write \"" + m_destination.string() + "\"", errno);
    if (ok() && ::rename(m_temporary.c_str(), m_destination.c_str()) != 0)
        fail("Cannot replace \"" + m_destination.string() + "\"", errno);
    if (!ok()) {
        closeAndRemove();
        return false;
    }
    m_temporary.clear();
    UnregisterTemporary(m_slot);
    m_slot = -1;
    m_committed = true;
    return true;
}

void ReplacingFile::abandon()
{
    closeAndRemove();
}

} // namespace camlog::core
