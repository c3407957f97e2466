// Exact conversions between date-time values and calendar fields.
#include "core/date_time.h"

#include <cmath>

namespace camlog::core {

namespace {

// Days from 1 January of year 1 (proleptic Gregorian) to 30 December 1899.
constexpr std::int64_t kDayZero = 693593;

// Day count since 0001-01-01 (day 0) for a valid calendar date.
std::int64_t civilToCount(int year, int month, int day)
{
    // Shift the year to start in March so February's length sits at the year's end.
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    // 719468 is 0000-03-01 .. 1970-01-01; 719162 is 0001-01-01 .. 1970-01-01.
    return era * 146097 + doe - 719468 + 719162;
}

void countToCivil(std::int64_t count, int &year, int &month, int &day)
{
    const std::int64_t z = count - 719162 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// Far outside the calendar range; keeps the rounding below free of overflow.
constexpr double kSaneLimit = 4.0e6;

} // namespace

bool DateTime::isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DateTime::daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return kDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

std::optional<DateTime> DateTime::fromDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    return DateTime(static_cast<double>(civilToCount(year, month, day) - kDayZero));
}

std::optional<DateTime> DateTime::fromFields(const DateTimeFields &f)
{
    const auto date = fromDate(f.year, f.month, f.day);
    if (!date || f.hour < 0 || f.hour > 23 || f.minute < 0 || f.minute > 59 || f.second < 0 || f.second > 59
        || f.millisecond < 0 || f.millisecond > 999)
        return std::nullopt;
    const std::int64_t ms = ((f.hour * 60LL + f.minute) * 60 + f.second) * 1000 + f.millisecond;
    const double time = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
    // Before day 0 the fraction is counted away from zero, so it still reads forwards.
    return DateTime(date->m_days < 0 ? date->m_days - time : date->m_days + time);
}

std::optional<DateTimeFields> DateTime::fields() const
{
    if (!std::isfinite(m_days) || std::fabs(m_days) > kSaneLimit)
        return std::nullopt;
    // Round the whole value to the millisecond first, then split it: the date part
    // truncates towards zero and the time part is the absolute remainder.
    const std::int64_t total = std::llround(m_days * static_cast<double>(kMsPerDay));
    const std::int64_t dayPart = total / kMsPerDay;
    std::int64_t msOfDay = total % kMsPerDay;
    if (msOfDay < 0)
        msOfDay = -msOfDay;
    const std::int64_t count = dayPart + kDayZero;
    if (count < 0 || count > civilToCount(9999, 12, 31))
        return std::nullopt;

    DateTimeFields f;
    countToCivil(count, f.year, f.month, f.day);
    f.millisecond = static_cast<int>(msOfDay % 1000);
    const std::int64_t secs = msOfDay / 1000;
    f.second = static_cast<int>(secs % 60);
    f.minute = static_cast<int>((secs / 60) % 60);
    f.hour = static_cast<int>(secs / 3600);
    return f;
}

int DateTime::dayOfWeek() const
{
    const auto f = fields();
    if (!f)
        return 0;
    // 0001-01-01 was a Monday; day count 0 → 2 (Monday) with Sunday = 1.
    const std::int64_t count = civilToCount(f->year, f->month, f->day);
    return static_cast<int>((count + 1) % 7) + 1;
}

} // namespace camlog::core
