// A moment on the machine's clock.
#include "core/local_moment.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace camlog::core {

std::optional<LocalMoment> LocalMomentOf(DateTime local)
{
    const auto fields = local.fields();
    if (!fields)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = fields->year - 1900;
    tm.tm_mon = fields->month - 1;
    tm.tm_mday = fields->day;
    tm.tm_hour = fields->hour;
    tm.tm_min = fields->minute;
    tm.tm_sec = fields->second;
    tm.tm_isdst = -1; // the zone's rule for that day
    errno = 0;
    const std::time_t seconds = std::mktime(&tm);
    if (seconds == static_cast<std::time_t>(-1) && errno != 0)
        return std::nullopt;
    return LocalMoment{static_cast<std::int64_t>(seconds), static_cast<int>(tm.tm_gmtoff)};
}

LocalMoment LocalMomentAt(std::int64_t utcSeconds)
{
    const auto seconds = static_cast<std::time_t>(utcSeconds);
    std::tm tm{};
    if (localtime_r(&seconds, &tm) == nullptr)
        return LocalMoment{utcSeconds, 0};
    return LocalMoment{utcSeconds, static_cast<int>(tm.tm_gmtoff)};
}

namespace {
std::string timestamp(std::int64_t seconds, const char *pattern)
{
    const auto value = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (gmtime_r(&value, &tm) == nullptr)
        return {};
    char text[64];
    std::strftime(text, sizeof text, pattern, &tm);
    return text;
}
} // namespace

std::string UtcTimestampText(const LocalMoment &moment)
{
    return timestamp(moment.utcSeconds, "%Y-%m-%dT%H:%M:%S.000000Z");
}

std::string LocalTimestampText(const LocalMoment &moment)
{
    const std::string wallClock = timestamp(moment.utcSeconds + moment.offsetSeconds, "%Y-%m-%dT%H:%M:%S");
    if (wallClock.empty())
        return {};
    const int offset = std::abs(moment.offsetSeconds) / 60;
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d%02d", moment.offsetSeconds < 0 ? '-' : '+', offset / 60, offset % 60);
    return wallClock + zone;
}

} // namespace camlog::core
