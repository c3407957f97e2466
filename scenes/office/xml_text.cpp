// Text as it goes into the XML parts of office documents.
#include "scenes/office/xml_text.h"

#include "core/text_encoding.h"

namespace camlog::scenes::office {

std::string XmlEscaped(std::string_view text)
{
    // The round trip through UTF-16 replaces malformed sequences.
    const std::string clean = core::Utf16ToUtf8(core::Utf8ToUtf16(text));
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
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out += c;
            break;
        }
    }
    return out;
}

} // namespace camlog::scenes::office
