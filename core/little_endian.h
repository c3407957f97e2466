// Little-endian fields in byte buffers: the byte order of every RIFF, AVI and DV structure on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace camlog::core {

constexpr std::uint16_t readLe16(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

constexpr std::uint32_t readLe32(const std::uint8_t *p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8
           | static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

constexpr std::uint64_t readLe64(const std::uint8_t *p)
{
    return static_cast<std::uint64_t>(readLe32(p)) | static_cast<std::uint64_t>(readLe32(p + 4)) << 32;
}

constexpr void writeLe16(std::uint8_t *p, std::uint16_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr void writeLe32(std::uint8_t *p, std::uint32_t value)
{
    writeLe16(p, static_cast<std::uint16_t>(value));
    writeLe16(p + 2, static_cast<std::uint16_t>(value >> 16));
}

// Reads consecutive fields of a record buffer whose size the caller has checked.
class LeCursor {
public:
    explicit LeCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint8_t u8() { return m_bytes[m_at++]; }
    std::uint16_t u16() { return readLe16(take(2)); }
    std::uint32_t u32() { return readLe32(take(4)); }
    std::uint64_t u64() { return readLe64(take(8)); }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

private:
    const std::uint8_t *take(std::size_t count)
    {
        const std::uint8_t *p = m_bytes.subspan(m_at, count).data();
        m_at += count;
        return p;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

} // namespace camlog::core
