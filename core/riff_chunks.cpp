// The chunk iterator shared by every RIFF walker.
#include "core/riff_chunks.h"

#include "core/little_endian.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace camlog::core {

std::size_t MemoryBytes::readAt(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (offset < m_base || offset - m_base >= m_bytes.size())
        return 0;
    const auto at = static_cast<std::size_t>(offset - m_base);
    const std::size_t count = std::min(out.size(), m_bytes.size() - at);
    if (count == 0)
        return 0; // an empty span may have no address, and memcpy takes none
    std::memcpy(out.data(), m_bytes.data() + at, count);
    return count;
}

RiffChunks::RiffChunks(ByteSource &source, std::uint64_t begin, std::uint64_t end, int depth)
    : m_source(source),
      m_position(begin),
      m_end(std::max(begin, end)),
      m_depth(depth)
{
}

std::optional<RiffChunk> RiffChunks::next()
{
    if (m_shortRead || left() < 8)
        return std::nullopt;
    std::array<std::uint8_t, 12> head{};
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), left()));
    const std::size_t got = m_source.readAt(m_position, std::span(head.data(), wanted));
    if (got < 8) {
        m_shortRead = true;
        return std::nullopt;
    }
    RiffChunk chunk;
    chunk.id = FourCC::fromBytes(head.data());
    chunk.size = readLe32(head.data() + 4);
    chunk.start = m_position;
    chunk.end = std::min(chunk.declaredEnd(), m_end);
    if ((chunk.id == fcc::RIFF || chunk.id == fcc::LIST) && got == head.size()) {
        chunk.hasListType = true;
        chunk.listType = FourCC::fromBytes(head.data() + 8);
    }
    // 0xFFFFFFFF pads to 2^32: the sum is 64-bit.
    m_position = std::min(chunk.declaredEnd() + (chunk.size & 1u), m_end);
    return chunk;
}

RiffChunks RiffChunks::children(const RiffChunk &list) const
{
    RiffChunks inner(m_source, list.end, list.end, m_depth + 1);
    if (!list.isList())
        return inner;
    if (m_depth + 1 > kMaxRiffDepth) {
        inner.m_tooDeep = true;
        return inner;
    }
    inner.m_position = list.data() + 4;
    return inner;
}

std::size_t RiffChunks::readData(const RiffChunk &chunk, std::span<std::uint8_t> buffer) const
{
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), chunk.available()));
    return m_source.readAt(chunk.data(), buffer.first(wanted));
}

} // namespace camlog::core
