// A date-time value: days since 30 December 1899 00:00, the time of day as the fraction.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>

namespace camlog::core {

// Calendar fields of a date-time value; no validity is implied by the record itself.
struct DateTimeFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const DateTimeFields &) const = default;
};

// Held wherever a datecode, a file time or a time difference lives beyond one frame.
// The arithmetic is that of the day-count convention: for values before day 0 the
// fraction still counts forwards from midnight (-1.25 is 29 Dec 1899 06:00).
class DateTime {
public:
    static constexpr double kSecond = 1.0 / 86400.0;
    static constexpr std::int64_t kMsPerDay = 86'400'000;

    constexpr DateTime() = default;

    static constexpr DateTime fromDays(double days) { return DateTime(days); }
    static constexpr DateTime fromSeconds(double seconds) { return DateTime(seconds / 86400.0); }

    // Valid calendar date-time: year 1..9999, month 1..12, an existing day, hour 0..23,
    // minute and second 0..59, millisecond 0..999. Anything else gives no value.
    static std::optional<DateTime> fromFields(const DateTimeFields &fields);
    static std::optional<DateTime> fromDate(int year, int month, int day);

    // The calendar fields, rounded to the millisecond; no value outside years 1..9999.
    std::optional<DateTimeFields> fields() const;

    // Day of the week, 1 = Sunday .. 7 = Saturday; 0 outside the calendar range.
    int dayOfWeek() const;

    constexpr double days() const { return m_days; }

    friend constexpr DateTime operator+(DateTime a, DateTime b) { return DateTime(a.m_days + b.m_days); }
    friend constexpr DateTime operator-(DateTime a, DateTime b) { return DateTime(a.m_days - b.m_days); }
    friend constexpr bool operator==(DateTime a, DateTime b) = default;
    friend constexpr auto operator<=>(DateTime a, DateTime b) = default;

    static bool isLeapYear(int year);
    static int daysInMonth(int year, int month);

private:
    constexpr explicit DateTime(double days) : m_days(days) {}

    double m_days = 0.0;
};

} // namespace camlog::core
