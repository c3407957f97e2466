// Reading parts of files that are not in the page cache: ranges announced ahead of the reader.
#include "media/reading/read_ahead.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace camlog::media {

namespace {

// How far ahead of the reader the announcing runs: this many items and at most this many
// bytes; a new batch goes out when less than half of it is left. A few hundred first bytes
// of frames keep the device busy; whole frames are bounded by the bytes.
constexpr std::size_t kItemsAhead = 256;
constexpr std::uint64_t kBytesAhead = 32 << 20;

} // namespace

ReadAhead::ReadAhead(int fd, std::uint64_t fileSize, RangeOf rangeOf)
    : m_fd(fd),
      m_fileSize(fileSize),
      m_rangeOf(std::move(rangeOf))
{
}

std::size_t ReadAhead::read(std::size_t item, std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (m_fd < 0 || offset >= m_fileSize)
        return 0;
    out = out.first(static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), m_fileSize - offset)));
    std::size_t done = 0;
    if (m_enabled) {
        // Only a walk is announced: a read of the item after the last one. A single read
        // elsewhere (a picture at a scene's start) announces nothing, and the same item read
        // again (whole after its first bytes) leaves the walk as it was.
        const bool follows = item == m_nextItem;
        if (item + 1 != m_nextItem) {
            if (!follows)
                m_announcedTo = 0; // what was announced is not what comes next
            m_nextItem = item + 1;
        }
        if (!m_cold && m_nowaitWorks) {
            done = readCached(offset, out);
            m_cold = done < out.size() && m_nowaitWorks;
        }
        if (m_cold && follows)
            announceAhead(item, out.size());
    }
    while (done < out.size()) {
        const ssize_t n = ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

// What the page cache holds of the range, without waiting for the device.
std::size_t ReadAhead::readCached(std::uint64_t offset, std::span<std::uint8_t> out)
{
    iovec part{out.data(), out.size()};
    const ssize_t n = ::preadv2(m_fd, &part, 1, static_cast<off_t>(offset), RWF_NOWAIT);
    if (n >= 0)
        return static_cast<std::size_t>(n);
    if (errno == EOPNOTSUPP || errno == EINVAL || errno == ENOSYS)
        m_nowaitWorks = false; // no telling: plain reads from now on
    return 0;
}

void ReadAhead::announceAhead(std::size_t item, std::size_t length)
{
    if (length != m_length || m_announcedTo <= item) {
        m_length = length;
        m_announcedTo = item + 1;
    } else if (m_announcedTo - item > kItemsAhead / 2) {
        return; // enough is on its way
    }
    std::uint64_t bytes = 0;
    while (m_announcedTo <= item + kItemsAhead && bytes < kBytesAhead) {
        const auto [offset, size] = m_rangeOf(m_announcedTo);
        if (size == 0)
            break;
        const std::uint64_t take = std::min<std::uint64_t>(size, length);
        ::posix_fadvise(m_fd, static_cast<off_t>(offset), static_cast<off_t>(take), POSIX_FADV_WILLNEED);
        bytes += take;
        ++m_announcedTo;
        ++m_announced;
    }
}

void AnnounceFileStarts(const std::vector<std::string> &paths, std::uint64_t bytes, std::uint64_t tailBytes)
{
    for (const std::string &path : paths) {
        // O_NONBLOCK: a FIFO among the files must not block the open.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && bytes > 0) {
            const std::uint64_t length = std::min<std::uint64_t>(bytes, static_cast<std::uint64_t>(info.st_size));
            ::posix_fadvise(fd, 0, static_cast<off_t>(length), POSIX_FADV_WILLNEED);
            const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
            if (tailBytes > 0 && size > length) {
                const std::uint64_t tail = std::max(length, size - std::min(size, tailBytes));
                ::posix_fadvise(fd, static_cast<off_t>(tail), static_cast<off_t>(size - tail), POSIX_FADV_WILLNEED);
            }
        }
        ::close(fd);
    }
}

} // namespace camlog::media
