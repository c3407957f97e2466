// Text as it goes into the XML parts of office documents.
#pragma once

#include <string>
#include <string_view>

namespace camlog::scenes::office {

// The text with &, <, >, " and ' escaped, malformed UTF-8 replaced by U+FFFD, and the control
// characters that XML 1.0 cannot carry (all below U+0020 but tab, line feed and carriage
// return) left out. Usable in element content and in attribute values.
std::string XmlEscaped(std::string_view text);

} // namespace camlog::scenes::office
