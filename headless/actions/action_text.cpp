// Small text helpers shared by the command-line and script readers.
#include "headless/actions/action_text.h"

#include <algorithm>

namespace camlog::ui {

std::string AsciiLower(std::string_view text)
{
    std::string result(text);
    for (char &c : result) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto isBlank = [](char c) {
        return static_cast<unsigned char>(c) <= 0x20;
    };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string RemoveDoubleQuotes(std::string_view text)
{
    std::string result(text);
    result.erase(std::remove(result.begin(), result.end(), '"'), result.end());
    return result;
}

} // namespace camlog::ui
