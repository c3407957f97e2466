// Text as it goes into the XML parts of office documents.
#pragma once

#include <string>
#include <string_view>

namespace camlog::scenes::office {

// The text with malformed UTF-8 replaced by U+FFFD and the characters that XML 1.0 cannot
// carry left out: the control characters (all below U+0020 but tab, line feed and carriage
// return), U+FFFE, U+FFFF and lone surrogates. For the texts handed to a library that escapes
// them itself (the workbook's).
std::string XmlCharacters(std::string_view text);

// XmlCharacters with &, <, >, " and ' escaped. Usable in element content and in attribute
// values.
std::string XmlEscaped(std::string_view text);

} // namespace camlog::scenes::office
