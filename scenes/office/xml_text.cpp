// Text as it goes into the XML parts of office documents.
#include "scenes/office/xml_text.h"

#include "core/text_encoding.h"

#include <cstddef>

namespace camlog::scenes::office {

namespace {

// The characters XML 1.0 allows: tab, line feed, carriage return, U+0020 to U+D7FF, U+E000 to
// U+FFFD and U+10000 upwards (so neither the other control characters, nor U+FFFE, U+FFFF,
// nor lone surrogates).
bool allowedInXml(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

// The length of the UTF-8 sequence that starts with lead (1 for anything else).
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

char32_t decode(std::string_view sequence)
{
    const auto byte = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(sequence[i]));
    };
    switch (sequence.size()) {
    case 2:
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    case 4:
        return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    default:
        return byte(0);
    }
}

} // namespace

std::string XmlCharacters(std::string_view text)
{
    // The round trip through UTF-16 replaces malformed sequences.
    const std::string clean = core::Utf16ToUtf8(core::Utf8ToUtf16(text));
    std::string out;
    out.reserve(clean.size());
    for (std::size_t i = 0; i < clean.size();) {
        const std::size_t length = std::min(sequenceLength(static_cast<unsigned char>(clean[i])), clean.size() - i);
        const std::string_view sequence(clean.data() + i, length);
        if (allowedInXml(decode(sequence)))
            out += sequence;
        i += length;
    }
    return out;
}

std::string XmlEscaped(std::string_view text)
{
    const std::string clean = XmlCharacters(text);
    std::string out;
    out.reserve(clean.size() + clean.size() / 8);
    for (const char c : clean) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

} // namespace camlog::scenes::office
