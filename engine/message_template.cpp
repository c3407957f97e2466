// Fills a command's start or error message template with a file name and a pass number.
#include "engine/message_template.h"

namespace camlog::engine {

std::string FormatCommandMessage(std::string_view tmpl, std::string_view text, int passe)
{
    std::string out;
    out.reserve(tmpl.size() + text.size());
    for (std::size_t i = 0; i < tmpl.size(); ++i) {
        const char c = tmpl[i];
        if (c != '%' || i + 1 == tmpl.size()) {
            out += c;
            continue;
        }
        const char kind = tmpl[i + 1];
        if (kind == 's') {
            out += text;
        } else if (kind == 'd') {
            out += std::to_string(passe);
        } else if (kind == '%') {
            out += '%';
        } else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

} // namespace camlog::engine
