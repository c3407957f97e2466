// Opens DV AVI and raw DV files and reads their frames with positioned reads.
#include "media/reading/dv_frame_reader.h"

#include "media/reading/avi_index_loader.h"
#include "media/reading/read_ahead.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace camlog::media {

namespace {

ReadError failure(ReadErrorCode code, const std::filesystem::path &path, const std::string &what)
{
    return ReadError{code, "'" + path.string() + "': " + what};
}

bool hasRawDvExtension(const std::filesystem::path &path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".dv" || ext == ".dif";
}

} // namespace

core::Expected<std::unique_ptr<DvFrameReader>, ReadErrorCode> DvFrameReader::open(const std::filesystem::path &path)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; it changes nothing for regular files,
    // and anything else is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            return failure(ReadErrorCode::NotFound, path, "no such file");
        return failure(ReadErrorCode::Unreadable, path, std::strerror(err));
    }
    std::unique_ptr<DvFrameReader> reader(new DvFrameReader());
    reader->m_fd = fd;

    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return failure(ReadErrorCode::Unreadable, path, std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return failure(ReadErrorCode::Unreadable, path, "is a folder, not a file");
    if (!S_ISREG(info.st_mode))
        return failure(ReadErrorCode::Unreadable, path, "not a regular file");
    reader->m_fileSize = static_cast<std::uint64_t>(info.st_size);

    std::uint8_t head[12] = {};
    const std::size_t got = reader->readAt(0, head);
    if (reader->m_fileSize >= sizeof head && got < sizeof head)
        return failure(ReadErrorCode::Unreadable, path, "read error at the start of the file");

    std::optional<ReadError> error;
    if (got == sizeof head && core::FourCC::fromBytes(head) == core::fcc::RIFF) {
        const auto type = core::FourCC::fromBytes(head + 8);
        if (type != core::fcc::AVI)
            return failure(ReadErrorCode::NotAvi, path, "a RIFF file of type '" + type.toString() + "', not an AVI");
        reader->m_container = ContainerKind::Avi;
        error = AviIndexLoader::load(*reader);
    } else if (RawDvLoader::startsWithDifHeader(head, got) || hasRawDvExtension(path)) {
        reader->m_container = ContainerKind::RawDv;
        error = RawDvLoader::load(*reader, head, got);
    } else if (reader->m_fileSize == 0) {
        return failure(ReadErrorCode::NotAvi, path, "empty file");
    } else {
        return failure(ReadErrorCode::NotAvi, path, "neither an AVI file nor raw DV");
    }
    if (error) {
        error->message = "'" + path.string() + "': " + error->message;
        return *error;
    }
    return reader;
}

DvFrameReader::~DvFrameReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t DvFrameReader::frameCount() const
{
    return m_dvStream < 0 ? 0 : m_streams[static_cast<std::size_t>(m_dvStream)].samples.size();
}

SampleEntry DvFrameReader::frame(std::size_t index) const
{
    if (index >= frameCount())
        return {};
    return m_streams[static_cast<std::size_t>(m_dvStream)].samples[index];
}

bool DvFrameReader::readFrame(std::size_t index, std::vector<std::uint8_t> &out)
{
    if (index >= frameCount()) {
        out.clear();
        return false;
    }
    const SampleEntry entry = frame(index);
    out.resize(entry.size);
    const std::size_t got = readFrameBytes(index, out);
    if (got != entry.size) {
        out.resize(got);
        return false;
    }
    return true;
}

std::size_t DvFrameReader::readFramePrefix(std::size_t index, std::span<std::uint8_t> out)
{
    if (index >= frameCount())
        return 0;
    return readFrameBytes(index, out);
}

std::size_t DvFrameReader::readFrameBytes(std::size_t index, std::span<std::uint8_t> out)
{
    const SampleEntry entry = frame(index);
    const std::size_t got =
        readAhead().read(index, entry.offset, out.first(std::min<std::size_t>(out.size(), entry.size)));
    m_bytesRead += got;
    return got;
}

ReadAhead &DvFrameReader::readAhead()
{
    if (!m_readAhead) {
        m_readAhead = std::make_unique<ReadAhead>(m_fd, m_fileSize, [this](std::size_t k) {
            const SampleEntry entry = frame(k);
            return std::pair{entry.offset, entry.size};
        });
        m_readAhead->setEnabled(m_readAheadOn);
    }
    return *m_readAhead;
}

void DvFrameReader::setReadAhead(bool on)
{
    m_readAheadOn = on;
    if (m_readAhead)
        m_readAhead->setEnabled(on);
}

std::size_t DvFrameReader::rangesAnnounced() const
{
    return m_readAhead ? m_readAhead->rangesAnnounced() : 0;
}

std::size_t DvFrameReader::readAt(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (m_fd < 0 || offset >= m_fileSize)
        return 0;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), m_fileSize - offset));
    std::size_t done = 0;
    while (done < want) {
        const ssize_t n = ::pread(m_fd, out.data() + done, want - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    m_bytesRead += done;
    return done;
}

} // namespace camlog::media
