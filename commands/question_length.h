// The limit of a confirmation text: longer questions (a long file name) fall back to a short form.
#pragma once

#include <cstddef>
#include <string_view>

namespace camlog::commands {

// More than 254 characters (not bytes: names are UTF-8).
inline bool TooLongForQuestion(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count > 254;
}

} // namespace camlog::commands
