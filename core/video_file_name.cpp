// Which file names the program takes as videos.
#include "core/video_file_name.h"

#include <algorithm>

namespace camlog::core {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        return lower(x) == lower(y);
    });
}

} // namespace

bool IsVideoFileName(std::string_view fileName)
{
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0 || fileName[dot - 1] == '/')
        return false;
    const std::string_view extension = fileName.substr(dot);
    return std::ranges::any_of(kVideoExtensions,
                               [&](std::string_view known) { return EqualsIgnoringCase(extension, known); });
}

} // namespace camlog::core
