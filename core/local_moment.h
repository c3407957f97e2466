// A moment on the machine's clock: a wall-clock date-time read in the machine's time zone, as
// seconds since 1970 in UTC with the zone's offset at that moment.
#pragma once

#include "core/date_time.h"

#include <cstdint>
#include <optional>
#include <string>

namespace camlog::core {

struct LocalMoment {
    std::int64_t utcSeconds = 0;
    int offsetSeconds = 0; // east of UTC

    bool operator==(const LocalMoment &) const = default;
};

// The date-time read as local time of the machine (the zone's daylight-saving rule for that
// day); whole seconds. No value outside the calendar or the system clock's range.
std::optional<LocalMoment> LocalMomentOf(DateTime local);
// The moment given in UTC seconds, with the machine's offset at that moment.
LocalMoment LocalMomentAt(std::int64_t utcSeconds);

// "2024-05-01T08:00:00.000000Z": the moment in UTC, as media files carry their creation time.
std::string UtcTimestampText(const LocalMoment &moment);
// "2024-05-01T10:00:00+0200": the local wall-clock time with its offset.
std::string LocalTimestampText(const LocalMoment &moment);

} // namespace camlog::core
