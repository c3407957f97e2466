// Conversions between UTF-8 (the program's strings), UTF-16 and Windows-1252 (files written on Windows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace camlog::core {

// Malformed input (invalid UTF-8 bytes, lone surrogates) becomes U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
std::string Windows1252ToUtf8(std::string_view text);

// The first maxUnits UTF-16 units of text, one less when the cut would split a surrogate pair.
std::u16string TruncateUtf16(std::u16string_view text, std::size_t maxUnits);

// UTF-16 little-endian bytes, with the byte-order mark first when withBom.
std::vector<std::uint8_t> EncodeUtf16Le(std::u16string_view text, bool withBom);
// Decodes UTF-16 little-endian bytes (a leading byte-order mark is skipped; an odd last byte is
// ignored).
std::u16string DecodeUtf16Le(const std::uint8_t *data, std::size_t size);
// The text of a file that people may have written anywhere: UTF-16 little-endian with its
// byte-order mark, UTF-8 (with or without its mark), or else Windows-1252.
std::string DecodeTextFile(std::string_view bytes);

// True when the bytes start with the UTF-16 little-endian byte-order mark FF FE.
bool HasUtf16LeBom(const std::uint8_t *data, std::size_t size);

} // namespace camlog::core
