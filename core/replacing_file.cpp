// A file written under a temporary name beside its destination and put in place only when every write succeeded.
#include "core/replacing_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace camlog::core {

namespace {

std::atomic<unsigned> g_temporaryCounter{0};

} // namespace

ReplacingFile::ReplacingFile(std::filesystem::path destination) : m_destination(std::move(destination))
{
    const std::filesystem::path folder = m_destination.parent_path();
    const std::string name = m_destination.filename().string();
    if (name.empty()) {
        fail("No file name in \"" + m_destination.string() + "\"", EINVAL);
        return;
    }
    // A hidden name in the destination's own folder: rename() is atomic only within one file system.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporaryName = "." + name + ".~" + std::to_string(::getpid()) + "-" +
                                          std::to_string(g_temporaryCounter.fetch_add(1));
        m_temporary = folder / temporaryName;
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            return;
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

bool ReplacingFile::fail(const std::string &what, int errorNumber)
{
    if (m_error.empty())
        m_error = what + ": " + std::strerror(errorNumber);
    return false;
}

bool ReplacingFile::writeAll(std::uint64_t offset, const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const std::uint8_t *>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(m_fd, bytes, size, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail("Cannot write \"" + m_destination.string() + "\"", errno);
        }
        if (written == 0)
            return fail("Cannot write \"" + m_destination.string() + "\"", EIO);
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += static_cast<std::uint64_t>(written);
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
}

bool ReplacingFile::commit()
{
    if (m_committed)
        return true;
    if (m_fd < 0)
        return false;
    if (ok() && ::fsync(m_fd) != 0)
        fail("Cannot write \"" + m_destination.string() + "\"", errno);
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
    m_committed = true;
    return true;
}

void ReplacingFile::abandon()
{
    closeAndRemove();
}

} // namespace camlog::core
