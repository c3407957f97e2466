// Four-character codes: chunk identifiers, stream types and handler codes.
#pragma once

#include "core/little_endian.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace camlog::core {

// Held as the 32-bit little-endian value; the string form is the four bytes of that
// value, lowest byte first ("RIFF" is 0x46464952).
class FourCC {
public:
    constexpr FourCC() = default;
    static constexpr FourCC fromValue(std::uint32_t value) { return FourCC(value); }
    // The first four characters of text, padded with spaces when shorter.
    static constexpr FourCC fromString(std::string_view text)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto c = i < static_cast<int>(text.size()) ? static_cast<unsigned char>(text[i]) : ' ';
            value |= static_cast<std::uint32_t>(c) << (8 * i);
        }
        return FourCC(value);
    }
    static constexpr FourCC fromBytes(const std::uint8_t *bytes) { return FourCC(readLe32(bytes)); }

    constexpr std::uint32_t value() const { return m_value; }
    std::string toString() const
    {
        std::string s(4, ' ');
        for (int i = 0; i < 4; ++i)
            s[i] = static_cast<char>((m_value >> (8 * i)) & 0xFF);
        return s;
    }
    // The byte at position i (0 = first character).
    constexpr char at(int i) const { return static_cast<char>((m_value >> (8 * i)) & 0xFF); }

    friend constexpr bool operator==(FourCC, FourCC) = default;

private:
    constexpr explicit FourCC(std::uint32_t value) : m_value(value) {}
    std::uint32_t m_value = 0;
};

namespace fcc {
inline constexpr FourCC RIFF = FourCC::fromString("RIFF");
inline constexpr FourCC LIST = FourCC::fromString("LIST");
inline constexpr FourCC AVI = FourCC::fromString("AVI ");
inline constexpr FourCC AVIX = FourCC::fromString("AVIX");
inline constexpr FourCC hdrl = FourCC::fromString("hdrl");
inline constexpr FourCC avih = FourCC::fromString("avih");
inline constexpr FourCC strl = FourCC::fromString("strl");
inline constexpr FourCC strh = FourCC::fromString("strh");
inline constexpr FourCC strf = FourCC::fromString("strf");
inline constexpr FourCC indx = FourCC::fromString("indx");
inline constexpr FourCC odml = FourCC::fromString("odml");
inline constexpr FourCC dmlh = FourCC::fromString("dmlh");
inline constexpr FourCC movi = FourCC::fromString("movi");
inline constexpr FourCC rec = FourCC::fromString("rec ");
inline constexpr FourCC idx1 = FourCC::fromString("idx1");
inline constexpr FourCC JUNK = FourCC::fromString("JUNK");
inline constexpr FourCC vids = FourCC::fromString("vids");
inline constexpr FourCC auds = FourCC::fromString("auds");
inline constexpr FourCC iavs = FourCC::fromString("iavs");
inline constexpr FourCC dvsd = FourCC::fromString("dvsd");
} // namespace fcc

} // namespace camlog::core
