// RIFF/AVI header reader: the AVI record layouts, a bounds-checked chunk reader, and the
// one-pass header walk that says whether a file is a readable AVI and which stream is its video.
#pragma once

#include "core/four_cc.h"
#include "core/riff_chunks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace camlog::core {

// ---------------------------------------------------------------------------------------
// Header records in their published layouts (little-endian on disk, no chunk header).
// Each fromBytes decodes exactly kSize bytes; a chunk shorter than the record is read
// into a zero-filled buffer first, so the missing tail decodes as zeros.

// AVIMAINHEADER, the data of `avih`.
struct AviMainHeader {
    static constexpr std::size_t kSize = 56;

    std::uint32_t dwMicroSecPerFrame = 0;
    std::uint32_t dwMaxBytesPerSec = 0;
    std::uint32_t dwPaddingGranularity = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwTotalFrames = 0;
    std::uint32_t dwInitialFrames = 0;
    std::uint32_t dwStreams = 0;
    std::uint32_t dwSuggestedBufferSize = 0;
    std::uint32_t dwWidth = 0;
    std::uint32_t dwHeight = 0;
    std::array<std::uint32_t, 4> dwReserved{};

    static AviMainHeader fromBytes(std::span<const std::uint8_t, kSize> bytes);
    bool operator==(const AviMainHeader &) const = default;
};

// The rcFrame of a stream header: four signed 16-bit values.
struct AviRect {
    std::int16_t left = 0;
    std::int16_t top = 0;
    std::int16_t right = 0;
    std::int16_t bottom = 0;

    bool operator==(const AviRect &) const = default;
};

// AVISTREAMHEADER, the data of `strh`.
struct AviStreamHeader {
    static constexpr std::size_t kSize = 56;
    // Offsets inside the record of the fields that in-place patches overwrite.
    static constexpr std::size_t kHandlerOffset = 4;
    static constexpr std::size_t kScaleOffset = 20; // dwRate follows directly at 24
    static constexpr std::size_t kRateOffset = 24;

    FourCC fccType;
    FourCC fccHandler;
    std::uint32_t dwFlags = 0;
    std::uint16_t wPriority = 0;
    std::uint16_t wLanguage = 0;
    std::uint32_t dwInitialFrames = 0;
    std::uint32_t dwScale = 0;
    std::uint32_t dwRate = 0;
    std::uint32_t dwStart = 0;
    std::uint32_t dwLength = 0;
    std::uint32_t dwSuggestedBufferSize = 0;
    std::uint32_t dwQuality = 0;
    std::uint32_t dwSampleSize = 0;
    AviRect rcFrame;

    static AviStreamHeader fromBytes(std::span<const std::uint8_t, kSize> bytes);
    bool operator==(const AviStreamHeader &) const = default;
};

// BITMAPINFOHEADER, the start of the `strf` of a `vids` stream (DVINFO may follow).
struct BitmapInfoHeader {
    static constexpr std::size_t kSize = 40;
    static constexpr std::size_t kCompressionOffset = 16;

    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    FourCC biCompression;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;

    static BitmapInfoHeader fromBytes(std::span<const std::uint8_t, kSize> bytes);
    bool operator==(const BitmapInfoHeader &) const = default;
};

// WAVEFORMATEX, the `strf` of an `auds` stream (18 bytes, no padding to 20).
struct WaveFormatEx {
    static constexpr std::size_t kSize = 18;

    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;

    static WaveFormatEx fromBytes(std::span<const std::uint8_t, kSize> bytes);
    bool operator==(const WaveFormatEx &) const = default;
};

// DVINFO, the `strf` of an `iavs` stream, or the 32 bytes after a DV BITMAPINFOHEADER.
struct DvInfo {
    static constexpr std::size_t kSize = 32;

    std::uint32_t dwDVAAuxSrc = 0;
    std::uint32_t dwDVAAuxCtl = 0;
    std::uint32_t dwDVAAuxSrc1 = 0;
    std::uint32_t dwDVAAuxCtl1 = 0;
    std::uint32_t dwDVVAuxSrc = 0;
    std::uint32_t dwDVVAuxCtl = 0;
    std::array<std::uint32_t, 2> dwDVReserved{};

    static DvInfo fromBytes(std::span<const std::uint8_t, kSize> bytes);
    bool operator==(const DvInfo &) const = default;
};

// The 24-byte header shared by the OpenDML super index (`indx`) and standard indexes
// (`ix##`), decoded with the standard-index layout: offset 12 is a 64-bit base offset and
// offset 20 a reserved word (in a super index those 12 bytes are three reserved words).
// 16-byte entries follow it.
struct AviIndexHeader {
    static constexpr std::size_t kSize = 24;
    // The header and four entries: an `indx` chunk below this size is damaged.
    static constexpr std::uint32_t kMinIndexChunkSize = 88;

    std::uint16_t wLongsPerEntry = 0;
    std::uint8_t bIndexSubType = 0;
    std::uint8_t bIndexType = 0;
    std::uint32_t nEntriesInUse = 0;
    FourCC dwChunkId;
    std::uint64_t qwBaseOffset = 0;
    std::uint32_t dwReserved3 = 0;

    static AviIndexHeader fromBytes(std::span<const std::uint8_t, kSize> bytes);
    bool operator==(const AviIndexHeader &) const = default;
};

// Bytes of the OpenDML extended header `dmlh` that the walk reads.
inline constexpr std::size_t kOdmlHeaderSize = 248;

// ---------------------------------------------------------------------------------------
// A regular file opened read-only, walked chunk by chunk. Every read and seek is checked
// against the file size taken at opening: a seek beyond the end fails instead of moving,
// and no operation throws. The walk state (ChunkId, ChunkSize, ListType) is that of the
// chunk header read last.
class RiffReader : public ByteSource {
public:
    // Opens the file; anything but an existing regular file (a folder, a pipe, a device)
    // leaves the reader closed, and every read on a closed reader fails.
    explicit RiffReader(const std::filesystem::path &fileName);
    ~RiffReader() override;
    RiffReader(const RiffReader &) = delete;
    RiffReader &operator=(const RiffReader &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    std::uint64_t size() const { return m_size; }
    std::uint64_t position() const { return m_position; }

    // Skips a pad byte when at an odd position, then reads an 8-byte chunk header.
    // False when 8 bytes could not be read; the walk state then keeps its old values.
    bool ReadChunkHeader();
    // Reads the 4-byte list type of a RIFF or LIST chunk and takes it off ChunkSize.
    // False when ChunkSize < 4 or the read fails.
    bool ReadListType();
    // Moves past the rest of the current chunk (ChunkSize bytes from here).
    bool SkipChunk() { return skip(m_chunkSize); }

    // Reads min(ChunkSize, buffer size) bytes into buffer, zero-fills the rest of it and
    // skips what the buffer could not take, leaving the position after the chunk's data.
    bool readRecord(std::span<std::uint8_t> buffer);

    // Reads up to buffer.size() bytes; returns how many were read (short at the end).
    std::size_t read(std::span<std::uint8_t> buffer);
    bool readFully(std::span<std::uint8_t> buffer) { return read(buffer) == buffer.size(); }
    // Reads at an offset without moving the position; returns how many were read.
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;
    bool seek(std::uint64_t position);
    bool skip(std::uint64_t count);

    FourCC ChunkId() const { return m_chunkId; }
    std::uint32_t ChunkSize() const { return m_chunkSize; }
    FourCC ListType() const { return m_listType; }

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
    FourCC m_chunkId;
    std::uint32_t m_chunkSize = 0;
    FourCC m_listType;
};

// ---------------------------------------------------------------------------------------
// One stream of the file, from the `strh` of its `strl` list. A `strl` without `strh`
// keeps an all-zero record.
struct TAvistream {
    AviStreamHeader header;
    std::array<std::uint8_t, AviStreamHeader::kSize> raw{}; // the record bytes as read
};

// The header walk of one file, done once in the constructor: opens the file, walks its
// top-level RIFF chunks and their header lists, closes it. Only headers are read; every
// `movi` list and `idx1` chunk is passed with one seek. Never throws: a file that cannot be
// opened or walked gives Valid() == false, and what was found before a failure stays.
class TAviParam {
public:
    explicit TAviParam(const std::filesystem::path &fileName);

    // At least one top-level RIFF chunk of an AVI type (`AVI `, `AVIX`, case-blind) was
    // walked without error. Streams may be filled even when this is false.
    bool Valid() const { return m_valid; }
    // Index into Streams of the first `auds` stream, -1 if none.
    std::int32_t FirstAudio() const { return m_firstAudio; }
    // Index into Streams of the first `vids` or `iavs` stream, -1 if none.
    std::int32_t FirstVideo() const { return m_firstVideo; }
    // One entry per `strl` list met, in file order.
    const std::vector<TAvistream> &Streams() const { return m_streams; }
    // The stream at FirstVideo, or null when there is none.
    const TAvistream *VideoStream() const;
    // The last `avih` record read, if any.
    const std::optional<AviMainHeader> &mainHeader() const { return m_mainHeader; }

    // Walk state left by the last chunk header read (for diagnosis).
    FourCC ListType() const { return m_listType; }
    FourCC ChunkId() const { return m_chunkId; }
    std::uint32_t ChunkSize() const { return m_chunkSize; }

private:
    void walkFile(RiffReader &stream);
    bool walkRiff(RiffChunks &chunks);
    bool walkHeaderList(RiffChunks &chunks);
    bool walkStreamList(RiffChunks &chunks);
    void walkOdmlList(RiffChunks &chunks);
    void noteChunk(const RiffChunk &chunk);

    bool m_valid = false;
    std::int32_t m_firstAudio = -1;
    std::int32_t m_firstVideo = -1;
    std::vector<TAvistream> m_streams;
    std::optional<AviMainHeader> m_mainHeader;
    FourCC m_listType;
    FourCC m_chunkId;
    std::uint32_t m_chunkSize = 0;
    std::uint64_t m_fileSize = 0;
};

// The header walk plus the one answer the DV AVI file object asks of it.
class TFriendlyAviParam : public TAviParam {
public:
    using TAviParam::TAviParam;

    // The fccHandler of the video stream as four characters, or "####" without one.
    std::string VideoCodec() const;
};

} // namespace camlog::core
