// RIFF/AVI header reader: record decoding, the bounds-checked chunk reader and the header walk.
#include "core/avi_param.h"

#include "core/little_endian.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace camlog::core {

namespace {

// "AVI " and "AVIX" in any letter case.
bool isAviListType(FourCC type)
{
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
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
    h.fccType = FourCC::fromValue(in.u32());
    h.fccHandler = FourCC::fromValue(in.u32());
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
    h.biCompression = FourCC::fromValue(in.u32());
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
    h.dwChunkId = FourCC::fromValue(in.u32());
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
    const std::size_t done = readAt(m_position, buffer);
    m_position += done;
    return done;
}

std::size_t RiffReader::readAt(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (m_fd < 0 || offset >= m_size)
        return 0;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), m_size - offset));
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t n = ::pread(m_fd, out.data() + done, wanted - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
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
// The walk. Each list's children are visited through the chunk iterator, clipped to the
// list; what a damaged chunk means is decided here. Inside the header list, a chunk whose
// size runs past the file fails the walk, as the seek past it would.

TAviParam::TAviParam(const std::filesystem::path &fileName)
{
    try {
        RiffReader stream(fileName);
        if (stream.isOpen())
            walkFile(stream);
    } catch (...) {
        // Only allocation can throw here (a header list of absurdly many streams); keep
        // what was found, as for any other failure.
    }
}

void TAviParam::noteChunk(const RiffChunk &chunk)
{
    m_chunkId = chunk.id;
    m_chunkSize = chunk.size;
    if (chunk.hasListType && chunk.size >= 4) {
        m_listType = chunk.listType;
        m_chunkSize -= 4;
    }
}

void TAviParam::walkFile(RiffReader &stream)
{
    m_fileSize = stream.size();
    RiffChunks top(stream, 0, stream.size());
    while (const auto riff = top.next()) {
        noteChunk(*riff);
        if (riff->clipped())
            return; // cut short, e.g. a capture that stopped inside its movi list
        if (riff->id != fcc::RIFF || !riff->isList() || !isAviListType(riff->listType))
            return;
        auto children = top.children(*riff);
        if (!walkRiff(children))
            return;
        m_valid = true;
    }
}

bool TAviParam::walkRiff(RiffChunks &chunks)
{
    while (const auto chunk = chunks.next()) {
        noteChunk(*chunk);
        if (chunk->clipped())
            return false; // a chunk that overruns its RIFF
        if (chunk->id == fcc::LIST && !chunk->isList())
            return false;
        if (chunk->isList(fcc::hdrl)) {
            auto children = chunks.children(*chunk);
            if (!walkHeaderList(children))
                return false;
        }
    }
    return true;
}

bool TAviParam::walkHeaderList(RiffChunks &chunks)
{
    while (const auto chunk = chunks.next()) {
        noteChunk(*chunk);
        if (chunk->declaredEnd() > m_fileSize && !(chunk->id == fcc::LIST && chunk->isList()))
            return false;
        if (chunk->id == fcc::avih) {
            std::array<std::uint8_t, AviMainHeader::kSize> bytes{};
            chunks.readData(*chunk, bytes);
            m_mainHeader = AviMainHeader::fromBytes(bytes);
        } else if (chunk->id == fcc::LIST) {
            if (!chunk->isList())
                return false;
            const bool nested = chunk->listType == fcc::strl || chunk->listType == fcc::odml;
            if (!nested) {
                if (chunk->declaredEnd() > m_fileSize)
                    return false;
                continue;
            }
            // Children of this header list are not checked against its size; a nested
            // list that claims more is walked only up to the header list's end.
            auto children = chunks.children(*chunk);
            if (chunk->listType == fcc::strl)
                walkStreamList(children); // a damaged stream list does not spoil the file
            else
                walkOdmlList(children);
        }
    }
    return true;
}

bool TAviParam::walkStreamList(RiffChunks &chunks)
{
    m_streams.emplace_back();
    const auto index = static_cast<std::int32_t>(m_streams.size() - 1);
    while (const auto chunk = chunks.next()) {
        noteChunk(*chunk);
        if (chunk->declaredEnd() > m_fileSize)
            return false;
        if (chunk->id == fcc::strh) {
            auto &record = m_streams.back();
            chunks.readData(*chunk, record.raw);
            record.header = AviStreamHeader::fromBytes(record.raw);
            const FourCC type = record.header.fccType;
            if (type == fcc::auds && m_firstAudio < 0)
                m_firstAudio = index;
            if ((type == fcc::vids || type == fcc::iavs) && m_firstVideo < 0)
                m_firstVideo = index;
        } else if (chunk->id == fcc::indx && chunk->size < AviIndexHeader::kMinIndexChunkSize) {
            return false;
        }
    }
    return true;
}

void TAviParam::walkOdmlList(RiffChunks &chunks)
{
    // The dmlh record is read by size only: nothing of it is kept.
    while (const auto chunk = chunks.next()) {
        noteChunk(*chunk);
        if (chunk->declaredEnd() > m_fileSize)
            return;
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
