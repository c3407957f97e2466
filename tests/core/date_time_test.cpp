#include "core/date_time.h"

#include <gtest/gtest.h>

#include <limits>

using camlog::core::DateTime;
using camlog::core::DateTimeFields;

TEST(DateTime, KnownSerialDays)
{
    struct Case {
        int year, month, day;
        double days;
    };
    const Case cases[] = {
        {1899, 12, 30, 0.0},   {1899, 12, 31, 1.0},   {1900, 1, 1, 2.0},    {1899, 12, 29, -1.0},
        {2000, 1, 1, 36526.0}, {2024, 7, 8, 45481.0}, {1, 1, 1, -693593.0}, {9999, 12, 31, 2958465.0},
    };
    for (const auto &c : cases) {
        const auto value = DateTime::fromDate(c.year, c.month, c.day);
        ASSERT_TRUE(value) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(value->days(), c.days) << c.year << "-" << c.month << "-" << c.day;
        const auto back = DateTime::fromDays(c.days).fields();
        ASSERT_TRUE(back);
        EXPECT_EQ(back->year, c.year);
        EXPECT_EQ(back->month, c.month);
        EXPECT_EQ(back->day, c.day);
    }
}

TEST(DateTime, ValidityRules)
{
    const DateTimeFields invalid[] = {
        {0, 1, 1, 0, 0, 0, 0},       {10000, 1, 1, 0, 0, 0, 0}, {2024, 13, 1, 0, 0, 0, 0}, {2024, 0, 1, 0, 0, 0, 0},
        {2024, 1, 0, 0, 0, 0, 0},    {2023, 2, 29, 0, 0, 0, 0}, {1900, 2, 29, 0, 0, 0, 0}, {2024, 4, 31, 0, 0, 0, 0},
        {2024, 1, 1, 24, 0, 0, 0},   {2024, 1, 1, 0, 60, 0, 0}, {2024, 1, 1, 0, 0, 60, 0}, {2024, 1, 1, 0, 0, 0, 1000},
        {2024, 1, 1, 45, 85, 85, 0},
    };
    for (const auto &f : invalid)
        EXPECT_FALSE(DateTime::fromFields(f)) << f.year << "-" << f.month << "-" << f.day << " " << f.hour;
    EXPECT_TRUE(DateTime::fromFields({2000, 2, 29, 23, 59, 59, 999}));
    EXPECT_TRUE(DateTime::fromFields({2024, 2, 29, 0, 0, 0, 0}));
}

TEST(DateTime, EverySecondOfADayRoundTripsExactly)
{
    for (int s = 0; s < 86400; ++s) {
        const DateTimeFields f{2024, 7, 8, s / 3600, (s / 60) % 60, s % 60, 0};
        const auto value = DateTime::fromFields(f);
        ASSERT_TRUE(value);
        ASSERT_EQ(value->fields(), f) << s;
    }
}

TEST(DateTime, NegativeValuesCountTheTimeForwards)
{
    // -1.25 is 29 December 1899 at 06:00; -0.25 is 30 December 1899 at 06:00.
    const auto a = DateTime::fromDays(-1.25).fields();
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, (DateTimeFields{1899, 12, 29, 6, 0, 0, 0}));
    const auto b = DateTime::fromDays(-0.25).fields();
    ASSERT_TRUE(b);
    EXPECT_EQ(*b, (DateTimeFields{1899, 12, 30, 6, 0, 0, 0}));
    EXPECT_EQ(DateTime::fromFields({1899, 12, 29, 6, 0, 0, 0})->days(), -1.25);
}

TEST(DateTime, RoundingCarriesIntoTheNextDay)
{
    const double almostMidnight = 45481.0 + (86400000.0 - 0.4) / 86400000.0;
    const auto f = DateTime::fromDays(almostMidnight).fields();
    ASSERT_TRUE(f);
    EXPECT_EQ(*f, (DateTimeFields{2024, 7, 9, 0, 0, 0, 0}));
}

TEST(DateTime, OutOfRangeHasNoFields)
{
    EXPECT_FALSE(DateTime::fromDays(-693594.0).fields());
    EXPECT_FALSE(DateTime::fromDays(2958466.0).fields());
    EXPECT_FALSE(DateTime::fromDays(1e300).fields());
    EXPECT_FALSE(DateTime::fromDays(std::numeric_limits<double>::quiet_NaN()).fields());
    EXPECT_EQ(DateTime::fromDays(1e300).dayOfWeek(), 0);
}

TEST(DateTime, ArithmeticAndDayOfWeek)
{
    const auto start = *DateTime::fromFields({2000, 12, 31, 23, 59, 58, 0});
    const auto later = start + DateTime::fromSeconds(3);
    EXPECT_EQ(later.fields(), (DateTimeFields{2001, 1, 1, 0, 0, 1, 0}));
    EXPECT_EQ(DateTime::fromDate(2024, 7, 8)->dayOfWeek(), 2);   // a Monday
    EXPECT_EQ(DateTime::fromDate(1899, 12, 30)->dayOfWeek(), 7); // a Saturday
}
