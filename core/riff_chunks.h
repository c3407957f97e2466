// The one way through a RIFF file: chunk headers read in order inside a range, with pad
// bytes, clipping to the parent and a depth limit. Each walker decides on its own what a
// damaged chunk means to it; the iterator only says what it found.
#pragma once

#include "core/four_cc.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace camlog::core {

// Somewhere bytes are read from by offset: an open file or a buffer read in one go.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to out.size() bytes at offset; returns how many were read (short at the end).
    virtual std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// Bytes held in memory that stood at file offset base.
class MemoryBytes : public ByteSource {
public:
    MemoryBytes(std::span<const std::uint8_t> bytes, std::uint64_t base) : m_bytes(bytes), m_base(base) {}
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> m_bytes;
    std::uint64_t m_base = 0;
};

// Lists nest two or three levels in real files (RIFF, hdrl, strl; movi, rec); the bound
// stops a crafted file from nesting them without end.
inline constexpr int kMaxRiffDepth = 8;

// One chunk header as read, and where the chunk lies.
struct RiffChunk {
    FourCC id;
    std::uint32_t size = 0;  // as declared
    std::uint64_t start = 0; // file offset of the header
    std::uint64_t end = 0;   // end of the data, clipped to the end of the range it was found in
    // For RIFF and LIST: the four bytes after the header lay inside the range and were read.
    bool hasListType = false;
    FourCC listType;

    std::uint64_t data() const { return start + 8; }
    std::uint64_t declaredEnd() const { return data() + size; }
    // The declared size runs past the parent (or the file).
    bool clipped() const { return declaredEnd() > end; }
    std::uint64_t available() const { return end - data(); }
    // A RIFF or LIST whose type lies inside its own data, so that it may hold children.
    bool isList() const { return hasListType && available() >= 4; }
    bool isList(FourCC type) const { return isList() && listType == type; }
};

// The chunks between begin and end of a source, one after another. After a chunk, the next
// header is looked for at its declared end plus the pad byte of an odd size, never beyond
// the range's end.
class RiffChunks {
public:
    RiffChunks(ByteSource &source, std::uint64_t begin, std::uint64_t end, int depth = 0);

    // The next chunk, or nothing when fewer than 8 bytes are left or its header could not be
    // read in full (shortRead()).
    std::optional<RiffChunk> next();
    // The children of a list returned by next(): from after its type to its clipped end, one
    // level deeper. Deeper than kMaxRiffDepth, or for a chunk that is no list, the range is
    // empty; tooDeep() tells the first case.
    RiffChunks children(const RiffChunk &list) const;

    std::uint64_t position() const { return m_position; }
    std::uint64_t end() const { return m_end; }
    // Bytes from where the next header is looked for to the end of the range.
    std::uint64_t left() const { return m_end > m_position ? m_end - m_position : 0; }
    int depth() const { return m_depth; }
    bool tooDeep() const { return m_tooDeep; }
    bool shortRead() const { return m_shortRead; }
    ByteSource &source() const { return m_source; }

    // Reads the start of a chunk's data into buffer (at most its clipped data), zero-fills
    // the rest; returns the count read.
    std::size_t readData(const RiffChunk &chunk, std::span<std::uint8_t> buffer) const;

private:
    ByteSource &m_source;
    std::uint64_t m_position = 0;
    std::uint64_t m_end = 0;
    int m_depth = 0;
    bool m_tooDeep = false;
    bool m_shortRead = false;
};

} // namespace camlog::core
