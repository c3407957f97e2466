// RIFF/AVI header reader: record decoding, the bounds-checked chunk reader and the header walk.
#include "core/avi_param.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace camlog::core {

namespace {

// Little-endian field reader over a record buffer whose size the caller has checked.
class LeCursor {
public:
    explicit LeCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint8_t u8() { return m_bytes[m_at++]; }
    std::uint16_t u16()
    {
        const auto lo = u8();
        return static_cast<std::uint16_t>(lo | u8() << 8);
    }
    std::uint32_t u32()
    {
        const std::uint32_t lo = u16();
        return lo | static_cast<std::uint32_t>(u16()) << 16;
    }
    std::uint64_t u64()
    {
        const std::uint64_t lo = u32();
        return lo | static_cast<std::uint64_t>(u32()) << 32;
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    FourCC fourCC() { return FourCC::fromValue(u32()); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

// "AVI " and "AVIX" in any letter case.
bool isAviListType(FourCC type)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return upper(type.at(0)) == 'A' && upper(type.at(1)) == 'V' && upper(type.at(2)) == 'I';
}

} // namespace

AviMainHeader AviMainHeader::fromBytes(std::span<const std::uint8_t, kSize> bytes)
{
    LeCursor in(bytes);
    AviMainHeader h;
    h.dwMicroSecPerFrame = in.u32();
    h.dwMaxBytesPerSec = in.u32();
    h.dwPaddingGranularity = in.u32();
    h.dwFlags = in.u32();
    h.dwTotalFrames = in.u32();
    h.dwInitialFrames = in.u32();
    h.dwStreams = in.u32();
    h.dwSuggestedBufferSize = in.u32();
    h.dwWidth = in.u32();
    h.dwHeight = in.u32();
    for (auto &word : h.dwReserved)
        word = in.u32();
    return h;
}

AviStreamHeader AviStreamHeader::fromBytes(std::span<const std::uint8_t, kSize> bytes)
{
    LeCursor in(bytes);
    AviStreamHeader h;
    h.fccType = in.fourCC();
    h.fccHandler = in.fourCC();
    h.dwFlags = in.u32();
    h.wPriority = in.u16();
    h.wLanguage = in.u16();
    h.dwInitialFrames = in.u32();
    h.dwScale = in.u32();
    h.dwRate = in.u32();
    h.dwStart = in.u32();
    h.dwLength = in.u32();
    h.dwSuggestedBufferSize = in.u32();
    h.dwQuality = in.u32();
    h.dwSampleSize = in.u32();
    h.rcFrame.left = in.i16();
    h.rcFrame.top = in.i16();
    h.rcFrame.right = in.i16();
    h.rcFrame.bottom = in.i16();
    return h;
}

BitmapInfoHeader BitmapInfoHeader::fromBytes(std::span<const std::uint8_t, kSize> bytes)
{
    LeCursor in(bytes);
    BitmapInfoHeader h;
    h.biSize = in.u32();
    h.biWidth = in.i32();
    h.biHeight = in.i32();
    h.biPlanes = in.u16();
    h.biBitCount = in.u16();
    h.biCompression = in.fourCC();
    h.biSizeImage = in.u32();
    h.biXPelsPerMeter = in.i32();
    h.biYPelsPerMeter = in.i32();
    h.biClrUsed = in.u32();
    h.biClrImportant = in.u32();
    return h;
}

WaveFormatEx WaveFormatEx::fromBytes(std::span<const std::uint8_t, kSize> bytes)
{
    LeCursor in(bytes);
    WaveFormatEx h;
    h.wFormatTag = in.u16();
    h.nChannels = in.u16();
    h.nSamplesPerSec = in.u32();
    h.nAvgBytesPerSec = in.u32();
    h.nBlockAlign = in.u16();
    h.wBitsPerSample = in.u16();
    h.cbSize = in.u16();
    return h;
}

DvInfo DvInfo::fromBytes(std::span<const std::uint8_t, kSize> bytes)
{
    LeCursor in(bytes);
    DvInfo h;
    h.dwDVAAuxSrc = in.u32();
    h.dwDVAAuxCtl = in.u32();
    h.dwDVAAuxSrc1 = in.u32();
    h.dwDVAAuxCtl1 = in.u32();
    h.dwDVVAuxSrc = in.u32();
    h.dwDVVAuxCtl = in.u32();
    for (auto &word : h.dwDVReserved)
        word = in.u32();
    return h;
}

AviIndexHeader AviIndexHeader::fromBytes(std::span<const std::uint8_t, kSize> bytes)
{
    LeCursor in(bytes);
    AviIndexHeader h;
    h.wLongsPerEntry = in.u16();
    h.bIndexSubType = in.u8();
    h.bIndexType = in.u8();
    h.nEntriesInUse = in.u32();
    h.dwChunkId = in.fourCC();
    h.qwBaseOffset = in.u64();
    h.dwReserved3 = in.u32();
    return h;
}

// ---------------------------------------------------------------------------------------

RiffReader::RiffReader(const std::filesystem::path &fileName)
{
    // O_NONBLOCK keeps a named pipe from blocking the open; it is refused just below.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = static_cast<std::uint64_t>(info.st_size);
}

RiffReader::~RiffReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::uint64_t RiffReader::leftBefore(std::uint64_t end) const
{
    const std::uint64_t next = m_position + (m_position & 1);
    return end > next ? end - next : 0;
}

bool RiffReader::ReadChunkHeader()
{
    if ((m_position & 1) != 0 && !skip(1))
        return false;
    std::array<std::uint8_t, 8> header{};
    if (!readFully(header))
        return false;
    m_chunkId = FourCC::fromBytes(header.data());
    m_chunkSize = FourCC::fromBytes(header.data() + 4).value();
    return true;
}

bool RiffReader::ReadListType()
{
    if (m_chunkSize < 4)
        return false;
    std::array<std::uint8_t, 4> type{};
    if (!readFully(type))
        return false;
    m_listType = FourCC::fromBytes(type.data());
    m_chunkSize -= 4;
    return true;
}

bool RiffReader::readRecord(std::span<std::uint8_t> buffer)
{
    const std::size_t wanted = std::min<std::size_t>(m_chunkSize, buffer.size());
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    if (!readFully(buffer.first(wanted)))
        return false;
    return skip(m_chunkSize - wanted);
}

std::size_t RiffReader::read(std::span<std::uint8_t> buffer)
{
    if (m_fd < 0 || m_position >= m_size)
        return 0;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), m_size - m_position));
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t n = ::pread(m_fd, buffer.data() + done, wanted - done, static_cast<off_t>(m_position + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    m_position += done;
    return done;
}

bool RiffReader::seek(std::uint64_t position)
{
    if (m_fd < 0 || position > m_size)
        return false;
    m_position = position;
    return true;
}

bool RiffReader::skip(std::uint64_t count)
{
    // m_position never exceeds m_size, so the subtraction cannot wrap.
    if (count > m_size - m_position)
        return false;
    return seek(m_position + count);
}

// ---------------------------------------------------------------------------------------
// The walk. Every walk gets the absolute end of the chunk whose children it visits; what
// is left is measured from the file position, so pad bytes of odd-sized chunks count as
// used. A nested list is walked up to its end clipped to its parent's, and the parent then
// resumes exactly at that end, whatever the nested walk left unread.

TAviParam::TAviParam(const std::filesystem::path &fileName)
{
    try {
        RiffReader stream(fileName);
        if (stream.isOpen())
            walkFile(stream);
        m_listType = stream.ListType();
        m_chunkId = stream.ChunkId();
        m_chunkSize = stream.ChunkSize();
    } catch (...) {
        // Only allocation can throw here (a header list of absurdly many streams); keep
        // what was found, as for any other failure.
    }
}

void TAviParam::walkFile(RiffReader &stream)
{
    while (stream.leftBefore(stream.size()) >= 8) {
        const std::uint64_t remaining = stream.leftBefore(stream.size());
        if (!stream.ReadChunkHeader())
            return;
        if (remaining < std::uint64_t{stream.ChunkSize()} + 8)
            return; // cut short, e.g. a capture that stopped inside its movi list
        if (stream.ChunkId() != fcc::RIFF || !stream.ReadListType())
            return;
        if (!isAviListType(stream.ListType()))
            return;
        const std::uint64_t end = stream.position() + stream.ChunkSize();
        if (!walkRiff(stream, end))
            return;
        m_valid = true;
        if (!stream.seek(end))
            return;
    }
}

bool TAviParam::walkRiff(RiffReader &stream, std::uint64_t end)
{
    while (stream.leftBefore(end) >= 8) {
        const std::uint64_t left = stream.leftBefore(end);
        if (!stream.ReadChunkHeader())
            return true;
        if (left < std::uint64_t{stream.ChunkSize()} + 8)
            return false; // a chunk that overruns its RIFF
        if (stream.ChunkId() == fcc::LIST) {
            if (!stream.ReadListType())
                return false;
            if (stream.ListType() == fcc::hdrl) {
                const std::uint64_t listEnd = stream.position() + stream.ChunkSize();
                if (!walkHeaderList(stream, listEnd) || !stream.seek(listEnd))
                    return false;
            } else if (!stream.SkipChunk()) {
                return false;
            }
        } else if (!stream.SkipChunk()) {
            return false;
        }
    }
    return true;
}

bool TAviParam::walkHeaderList(RiffReader &stream, std::uint64_t end)
{
    while (stream.leftBefore(end) >= 8) {
        if (!stream.ReadChunkHeader())
            return false;
        if (stream.ChunkId() == fcc::avih) {
            std::array<std::uint8_t, AviMainHeader::kSize> bytes{};
            if (!stream.readRecord(bytes))
                return false;
            m_mainHeader = AviMainHeader::fromBytes(bytes);
        } else if (stream.ChunkId() == fcc::LIST) {
            if (!stream.ReadListType())
                return false;
            const bool nested = stream.ListType() == fcc::strl || stream.ListType() == fcc::odml;
            if (!nested) {
                if (!stream.SkipChunk())
                    return false;
                continue;
            }
            // Children of this header list are not checked against its size; a nested
            // list that claims more is walked only up to the header list's end.
            const std::uint64_t listEnd = std::min(stream.position() + stream.ChunkSize(), end);
            if (stream.ListType() == fcc::strl)
                walkStreamList(stream, listEnd); // a damaged stream list does not spoil the file
            else
                walkOdmlList(stream, listEnd);
            if (!stream.seek(listEnd))
                return false;
        } else if (!stream.SkipChunk()) {
            return false;
        }
    }
    return true;
}

bool TAviParam::walkStreamList(RiffReader &stream, std::uint64_t end)
{
    m_streams.emplace_back();
    const auto index = static_cast<std::int32_t>(m_streams.size() - 1);
    while (stream.leftBefore(end) >= 8) {
        if (!stream.ReadChunkHeader())
            return false;
        if (stream.ChunkId() == fcc::strh) {
            auto &record = m_streams.back();
            if (!stream.readRecord(record.raw))
                return false;
            record.header = AviStreamHeader::fromBytes(record.raw);
            const FourCC type = record.header.fccType;
            if (type == fcc::auds && m_firstAudio < 0)
                m_firstAudio = index;
            if ((type == fcc::vids || type == fcc::iavs) && m_firstVideo < 0)
                m_firstVideo = index;
        } else if (stream.ChunkId() == fcc::indx && stream.ChunkSize() < AviIndexHeader::kMinIndexChunkSize) {
            return false;
        } else if (!stream.SkipChunk()) {
            return false;
        }
    }
    return true;
}

void TAviParam::walkOdmlList(RiffReader &stream, std::uint64_t end)
{
    while (stream.leftBefore(end) >= 8) {
        if (!stream.ReadChunkHeader())
            return;
        if (stream.ChunkId() == fcc::dmlh) {
            std::array<std::uint8_t, kOdmlHeaderSize> bytes{};
            if (!stream.readRecord(bytes))
                return;
        } else if (!stream.SkipChunk()) {
            return;
        }
    }
}

const TAvistream *TAviParam::VideoStream() const
{
    if (m_firstVideo < 0 || static_cast<std::size_t>(m_firstVideo) >= m_streams.size())
        return nullptr;
    return &m_streams[static_cast<std::size_t>(m_firstVideo)];
}

std::string TFriendlyAviParam::VideoCodec() const
{
    const TAvistream *video = VideoStream();
    return video ? video->header.fccHandler.toString() : std::string("####");
}

} // namespace camlog::core
