// The examples of the file-name formats.
#include "window/format_examples.h"

#include "core/format.h"

#include <cctype>

namespace camlog::widgets {

std::string SampleFileName(std::string_view pattern, std::string_view dateFormat, core::DateTime now)
{
    std::string result;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char code = static_cast<char>(std::toupper(static_cast<unsigned char>(pattern[i + 1])));
            const char *fixed = nullptr;
            switch (code) {
            case 'F':
                fixed = "video";
                break;
            case 'E':
                fixed = ".avi";
                break;
            case 'T':
                fixed = "0.54.32.10";
                break;
            case 'C':
                fixed = "dvsd";
                break;
            case 'I':
                fixed = "640x480";
                break;
            case 'A':
                fixed = "48000Hz 16bits stereo";
                break;
            case 'U':
                fixed = "30s 12fr";
                break;
            default:
                break;
            }
            if (code == 'D') {
                result += core::FormatDateTimePattern(dateFormat, now).value_or("");
                ++i;
                continue;
            }
            if (fixed != nullptr) {
                result += fixed;
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    for (char &c : result) {
        if (c == '<' || c == '>' || c == '"' || c == '/' || c == '\\' || c == '|')
            c = '_';
        else if (c == ':')
            c = '.';
    }
    return result;
}

FormatExamples ComputeFormatExamples(const prefs::Settings &s, core::DateTime now)
{
    FormatExamples examples;
    examples.display = core::FormatDateTimePattern(s.formatAfficherDatecode, now).value_or("");
    examples.addDatecode = SampleFileName(s.datecodeAvant ? "%D_%F%E" : "%F_%D%E", s.formatAjouterDatecode, now);
    examples.addTimecode = SampleFileName(s.timcodeAvant ? "%T_%F%E" : "%F_%T%E", s.formatAjouterTimecode, now);
    examples.rename = SampleFileName(s.templateRenommer, s.formatRenommer, now);
    return examples;
}

} // namespace camlog::widgets
