// Conversions between UTF-8 (the program's strings), UTF-16 and Windows-1252 (files written on Windows).
#include "core/text_encoding.h"

namespace camlog::core {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUtf16(std::u16string &out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (c >> 10));
        out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
}

// Decodes one UTF-8 sequence at text[i], advancing i; overlong forms, surrogates and
// truncated sequences give U+FFFD and consume one byte.
char32_t nextUtf8(std::string_view text, std::size_t &i)
{
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, c = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, c = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, c = b0 & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += static_cast<std::size_t>(length);
    return c;
}

// The characters 0x80..0x9F of Windows-1252; the five unassigned ones map to themselves.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        appendUtf16(out, nextUtf8(text, i));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

std::string Windows1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        appendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
    }
    return out;
}

std::u16string TruncateUtf16(std::u16string_view text, std::size_t maxUnits)
{
    if (text.size() <= maxUnits)
        return std::u16string(text);
    std::size_t cut = maxUnits;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF)
        --cut;
    return std::u16string(text.substr(0, cut));
}

std::vector<std::uint8_t> EncodeUtf16Le(std::u16string_view text, bool withBom)
{
    std::vector<std::uint8_t> out;
    out.reserve(2 * text.size() + 2);
    if (withBom) {
        out.push_back(0xFF);
        out.push_back(0xFE);
    }
    for (const char16_t u : text) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

bool HasUtf16LeBom(const std::uint8_t *data, std::size_t size)
{
    return size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
}

std::u16string DecodeUtf16Le(const std::uint8_t *data, std::size_t size)
{
    std::size_t i = HasUtf16LeBom(data, size) ? 2 : 0;
    std::u16string out;
    out.reserve(size / 2);
    for (; i + 1 < size; i += 2)
        out += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return out;
}

std::string DecodeTextFile(std::string_view bytes)
{
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
    if (HasUtf16LeBom(data, bytes.size()))
        return Utf16ToUtf8(DecodeUtf16Le(data, bytes.size()));
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    // Invalid UTF-8 decodes to U+FFFD and so does not survive the round trip.
    if (Utf16ToUtf8(Utf8ToUtf16(bytes)) == bytes)
        return std::string(bytes);
    return Windows1252ToUtf8(bytes);
}

} // namespace camlog::core
