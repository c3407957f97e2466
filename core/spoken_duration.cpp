// Lengths of video as people say them in a sentence.
#include "core/spoken_duration.h"

#include <algorithm>
#include <cstdio>

namespace camlog::core {

std::string FormatMinutesSeconds(std::int64_t duration)
{
    constexpr std::int64_t kUnitsPerSecond = 10'000'000;
    const long long seconds = std::max<std::int64_t>(duration, 0) / kUnitsPerSecond;
    const long long h = seconds / 3600;
    const long long m = (seconds / 60) % 60;
    const long long s = seconds % 60;
    char buffer[64];
    if (h > 0)
        std::snprintf(buffer, sizeof buffer, "%lld h %02lld min %02lld s", h, m, s);
    else if (m > 0)
        std::snprintf(buffer, sizeof buffer, "%lld min %02lld s", m, s);
    else
        std::snprintf(buffer, sizeof buffer, "%lld s", s);
    return buffer;
}

} // namespace camlog::core
