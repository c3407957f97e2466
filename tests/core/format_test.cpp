// Tests of the shared text forms: date-time patterns, locales, durations, positions, timecodes, sizes, audio tags.
#include "core/format.h"
#include "core/spoken_duration.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <ctime>
#include <langinfo.h>
#include <limits>
#include <string>
#include <vector>

using camlog::core::AudioFormatName;
using camlog::core::DateTime;
using camlog::core::DateTimeFields;
using camlog::core::DateTimeLocale;
using camlog::core::FormatDateTimePattern;
using camlog::core::FormatDurationFrames;
using camlog::core::FormatDurationMs;
using camlog::core::FormatFileSize;
using camlog::core::FormatFramePosition;
using camlog::core::FormatMinutesSeconds;
using camlog::core::FormatSrtTime;
using camlog::core::FormatTimecodeColons;
using camlog::core::FormatTimecodeDots;
using camlog::core::TTimecode;

namespace {

DateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    const auto value = DateTime::fromFields({year, month, day, hour, minute, second, ms});
    EXPECT_TRUE(value) << year << "-" << month << "-" << day;
    return value.value_or(DateTime());
}

// Sets one locale category for the life of a test and puts the previous one back.
class LocaleGuard {
public:
    LocaleGuard(int category, const char *name) : m_category(category)
    {
        const char *previous = std::setlocale(category, nullptr);
        m_previous = previous != nullptr ? previous : "C";
        m_ok = std::setlocale(category, name) != nullptr;
    }
    ~LocaleGuard() { std::setlocale(m_category, m_previous.c_str()); }
    LocaleGuard(const LocaleGuard &) = delete;
    LocaleGuard &operator=(const LocaleGuard &) = delete;

    bool ok() const { return m_ok; }

private:
    int m_category;
    std::string m_previous;
    bool m_ok = false;
};

// 2 March 2004 was a Tuesday.
const DateTime kSample = at(2004, 3, 2, 15, 4, 5, 7);

struct PatternCase {
    const char *pattern;
    const char *expected;
};

void expectPatterns(const std::vector<PatternCase> &cases, DateTime value, const DateTimeLocale &locale)
{
    for (const auto &c : cases) {
        const auto text = FormatDateTimePattern(c.pattern, value, locale);
        ASSERT_TRUE(text) << c.pattern;
        EXPECT_EQ(*text, c.expected) << "pattern: " << c.pattern;
    }
}

} // namespace

TEST(FormatDateTimePattern, NumericSpecifiers)
{
    expectPatterns(
        {
            {"yyyymmddhhnnss", "20040302150405"},
            {"d dd", "2 02"},
            {"m mm", "3 03"},
            {"y yy yyy yyyy", "04 04 2004 2004"},
            {"h hh n nn", "15 15 4 04"},
            {"s ss z zz zzz", "5 05 7 7 007"},
            {"yyyy/mm/d", "2004/03/2"},
            {"yyyy mm dd hh nn ss", "2004 03 02 15 04 05"},
            {"yyyymmdd hh.nn.ss", "20040302 15.04.05"},
            {"yyyy.mm.dd_hh.nn.ss", "2004.03.02_15.04.05"},
            {"YYYY-MM-DD HH.NN.SS.ZZZ", "2004-03-02 15.04.05.007"},
            {"", ""},
        },
        kSample, DateTimeLocale::fallback());
}

TEST(FormatDateTimePattern, NamesAndLocaleFormats)
{
    expectPatterns(
        {
            {"ddd dddd", "Tue Tuesday"},
            {"DDD DdDd", "Tue Tuesday"},
            {"mmm mmmm", "Mar March"},
            {"d mmm yyyy", "2 Mar 2004"},
            {"yy_mmm_d", "04_Mar_2"},
            {"ddddd", "02/03/2004"},
            {"dddddd", "Tuesday 2 March 2004"},
            {"ddddddd", "Tuesday 2 March 2004"},
            {"t", "15:04"},
            {"tt", "15:04:05"},
            {"ddddd tt", "02/03/2004 15:04:05"},
            {"dddddd t", "Tuesday 2 March 2004 15:04"},
            {"c", "02/03/2004 15:04:05"},
            {"dddddd 'at' hh:mm:ss", "Tuesday 2 March 2004 at 15:04:05"},
            {"dddddd \"at\" tt", "Tuesday 2 March 2004 at 15:04:05"},
        },
        kSample, DateTimeLocale::fallback());
}

TEST(FormatDateTimePattern, MinutesRightAfterAnHour)
{
    expectPatterns(
        {
            {"hh:mm", "15:04"},
            {"mm/dd", "03/02"},
            {"h:m", "15:4"},
            {"hh mm", "15 04"},
            {"hh - mm", "15 - 04"},
            {"hh'h'mm", "15h04"},
            {"hhmm", "1504"},
            {"h:mm:ss", "15:04:05"},
            {"hh:mm:mm", "15:04:03"}, // the hour's hold ends with the minutes
            {"hh dd mm", "15 02 03"},
            {"hhxmm", "15x03"},   // a copied letter ends it too
            {"hh mmm", "15 Mar"}, // month names stay month names
            {"mm hh", "03 15"},
        },
        kSample, DateTimeLocale::fallback());
}

TEST(FormatDateTimePattern, AmPmMarkersKeepTheirLetterCase)
{
    expectPatterns(
        {
            {"yyyy.mm.dd_hh.nn.ss_am/pm", "2004.03.02_03.04.05_pm"},
            {"yyyy/mm/dd hh:nn:ss am/pm", "2004/03/02 03:04:05 pm"},
            {"h AM/PM", "3 PM"},
            {"h Am/pM", "3 pM"},
            {"h a/p", "3 p"},
            {"h A/P", "3 P"},
            {"h ampm", "3 PM"},
            {"am/pm hh", "pm 03"}, // the marker anywhere turns on the 12-hour clock
            {"hh", "15"},
            {"am", "a3"}, // neither am/pm nor ampm: a copied, m a month
            {"'am/pm' hh", "am/pm 15"},
        },
        kSample, DateTimeLocale::fallback());
}

TEST(FormatDateTimePattern, TwelveHourClockAroundMidnightAndNoon)
{
    struct Case {
        int hour, minute;
        const char *twelve;
        const char *twentyFour;
    };
    const Case cases[] = {
        {0, 0, "12:00 AM a", "0:00"},    {0, 59, "12:59 AM a", "0:59"},   {1, 0, "1:00 AM a", "1:00"},
        {11, 59, "11:59 AM a", "11:59"}, {12, 0, "12:00 PM p", "12:00"},  {12, 30, "12:30 PM p", "12:30"},
        {13, 0, "1:00 PM p", "13:00"},   {23, 59, "11:59 PM p", "23:59"},
    };
    const auto locale = DateTimeLocale::fallback();
    for (const auto &c : cases) {
        const DateTime value = at(2004, 3, 2, c.hour, c.minute);
        EXPECT_EQ(FormatDateTimePattern("h:nn AM/PM a/p", value, locale), c.twelve) << c.hour << ":" << c.minute;
        EXPECT_EQ(FormatDateTimePattern("h:nn", value, locale), c.twentyFour) << c.hour << ":" << c.minute;
    }
}

TEST(FormatDateTimePattern, QuotedAndCopiedText)
{
    expectPatterns(
        {
            {"'yyyy' yyyy", "yyyy 2004"},
            {"\"d\"d", "d2"},
            {"'say \"hi\"' \"it's\"", "say \"hi\" it's"},
            {"'it''s'", "its"},
            {"yyyy 'unterminated", "2004 unterminated"},
            {"[#] ! - _ , ;", "[#] ! - _ , ;"},
            {"yyyy年mm月dd日", "2004年03月02日"},
            {"x q", "x q"},
        },
        kSample, DateTimeLocale::fallback());
}

TEST(FormatDateTimePattern, SeparatorsComeFromTheLocale)
{
    auto locale = DateTimeLocale::fallback();
    locale.dateSeparator = "-";
    locale.timeSeparator = ".";
    expectPatterns(
        {
            {"yyyy/mm/dd hh:nn", "2004-03-02 15.04"},
            {"ddddd tt", "02-03-2004 15.04.05"},
            {"'/:' \"/\"", "/: /"},
            {"am/pm", "pm"},
        },
        kSample, locale);
}

TEST(FormatDateTimePattern, LocaleMarkersAndNames)
{
    auto locale = DateTimeLocale::fallback();
    locale.amMarker = "vorm.";
    locale.pmMarker = "nachm.";
    locale.longDayNames[2] = "Dienstag";
    locale.shortMonthNames[2] = "Mär";
    expectPatterns({{"hh ampm", "03 nachm."}, {"dddd d mmm", "Dienstag 2 Mär"}}, kSample, locale);
    expectPatterns({{"hh ampm", "09 vorm."}}, at(2004, 3, 2, 9), locale);
}

TEST(FormatDateTimePattern, DateAndTimeLeavesOutMidnight)
{
    const auto locale = DateTimeLocale::fallback();
    EXPECT_EQ(FormatDateTimePattern("c", at(2004, 3, 2), locale), "02/03/2004");
    EXPECT_EQ(FormatDateTimePattern("c", at(2004, 3, 2, 0, 0, 0, 1), locale), "02/03/2004 00:00:00");
    EXPECT_EQ(FormatDateTimePattern("c", at(2004, 3, 2, 0, 1), locale), "02/03/2004 00:01:00");
}

TEST(FormatDateTimePattern, CalendarEdges)
{
    const auto locale = DateTimeLocale::fallback();
    EXPECT_EQ(FormatDateTimePattern("yyyy-mm-dd yy ddd", at(1, 1, 1), locale), "0001-01-01 01 Mon");
    EXPECT_EQ(FormatDateTimePattern("yyyy-mm-dd hh:nn:ss.zzz ddd", at(9999, 12, 31, 23, 59, 59, 999), locale),
              "9999-12-31 23:59:59.999 Fri");
    EXPECT_EQ(FormatDateTimePattern("yyyy-mm-dd hh:nn dddd", DateTime::fromDays(-1.25), locale),
              "1899-12-29 06:00 Friday");
    EXPECT_EQ(FormatDateTimePattern("yyyy-mm-dd ddd", DateTime::fromDays(0), locale), "1899-12-30 Sat");
}

TEST(FormatDateTimePattern, FailsOutsideTheCalendar)
{
    const DateTime outside[] = {
        DateTime::fromDays(-693594.0), // 31 December of year 0
        DateTime::fromDays(2958466.0), // 1 January 10000
        DateTime::fromDays(1e300),
        DateTime::fromDays(std::numeric_limits<double>::quiet_NaN()),
        DateTime::fromDays(std::numeric_limits<double>::infinity()),
    };
    const auto locale = DateTimeLocale::fallback();
    for (const DateTime value : outside) {
        for (const char *pattern : {"yyyy", "", "'text'", "c"}) {
            EXPECT_FALSE(FormatDateTimePattern(pattern, value, locale)) << value.days() << " " << pattern;
            EXPECT_FALSE(FormatDateTimePattern(pattern, value)) << value.days() << " " << pattern;
        }
    }
}

TEST(FormatDateTimePattern, NestingOfHandMadeFormatsStops)
{
    auto locale = DateTimeLocale::fallback();
    locale.shortDateFormat = "ddddd|d";
    const auto text = FormatDateTimePattern("ddddd", kSample, locale);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "|2");
}

// The C and POSIX locales keep the fixed formats; the two-argument form reads the locale.
TEST(FormatDateTimeLocale, CLocalesUseTheFallback)
{
    const auto fallback = DateTimeLocale::fallback();
    for (const char *name : {"C", "POSIX", "C.UTF-8", "C.utf8"}) {
        LocaleGuard guard(LC_ALL, name);
        if (!guard.ok())
            continue;
        const auto current = DateTimeLocale::current();
        EXPECT_EQ(current.shortDateFormat, fallback.shortDateFormat) << name;
        EXPECT_EQ(current.longDateFormat, fallback.longDateFormat) << name;
        EXPECT_EQ(current.shortTimeFormat, fallback.shortTimeFormat) << name;
        EXPECT_EQ(current.longTimeFormat, fallback.longTimeFormat) << name;
        EXPECT_EQ(current.longDayNames, fallback.longDayNames) << name;
        EXPECT_EQ(current.shortMonthNames, fallback.shortMonthNames) << name;
        EXPECT_EQ(FormatDateTimePattern("ddddd tt dddd mmmm ampm yyyy/mm:dd", kSample),
                  "02/03/2004 15:04:05 Tuesday March PM 2004/03:02")
            << name;
    }
}

// Any other locale installed on the machine: names agree with strftime, formats do too
// whenever the locale's own formats carry over. Skipped where only C locales exist.
TEST(FormatDateTimeLocale, InstalledLocalesAgreeWithStrftime)
{
    int tried = 0;
    for (const char *name :
         {"en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "fi_FI.UTF-8", "ja_JP.UTF-8", "ko_KR.UTF-8"}) {
        LocaleGuard guard(LC_ALL, name);
        if (!guard.ok())
            continue;
        ++tried;
        std::tm tm{};
        tm.tm_year = 2004 - 1900;
        tm.tm_mon = 2;
        tm.tm_mday = 2;
        tm.tm_hour = 15;
        tm.tm_min = 4;
        tm.tm_sec = 5;
        tm.tm_wday = 2;
        tm.tm_yday = 61;
        auto strf = [&](const char *format) {
            char buffer[256];
            const std::size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
            return std::string(buffer, n);
        };
        EXPECT_EQ(FormatDateTimePattern("ddd|dddd|mmm|mmmm", kSample), strf("%a|%A|%b|%B")) << name;
        EXPECT_EQ(FormatDateTimePattern("ddddd", kSample), strf("%x")) << name;
        EXPECT_EQ(FormatDateTimePattern("tt", kSample), strf("%X")) << name;
    }
    if (tried == 0)
        GTEST_SKIP() << "no locale other than C installed";
}

TEST(FormatDateTimeLocale, StrftimeFormatsCarryOver)
{
    struct Case {
        const char *dateFormat, *timeFormat, *timeFormatAmPm;
        const char *shortDate, *shortTime, *longTime, *separators;
    };
    const Case cases[] = {
        {"%d.%m.%Y", "%H:%M:%S", "", "02.03.2004", "15:04", "15:04:05", "2004.03 15:04"},
        {"%m/%d/%Y", "%r", "%I:%M:%S %p", "03/02/2004", "03:04 PM", "03:04:05 PM", "2004/03 15:04"},
        {"%d/%m/%y", "%T", "", "02/03/04", "15:04", "15:04:05", "2004/03 15:04"},
        {"%Y-%m-%d", "%H.%M.%S", "", "2004-03-02", "15.04", "15.04.05", "2004-03 15.04"},
        {"%-d/%-m/%Ey", "%-H:%M:%S", "", "2/3/04", "15:04", "15:04:05", "2004/03 15:04"},
        {"%D", "%R", "", "03/02/04", "15:04", "15:04", "2004/03 15:04"},
        {"%e %b %Y", "%l:%M:%S %P", "", "2 Mar 2004", "3:04 PM", "3:04:05 PM", "2004/03 15:04"},
        {"%A %d %B %Y", "%k h %M", "", "Tuesday 02 March 2004", "15 h 04", "15 h 04", "2004/03 15:04"},
        {"%Y年%m月%d日", "%H時%M分%S秒", "", "2004年03月02日", "15時04分", "15時04分05秒", "2004/03 15:04"},
        {"%Y년 %m월 %d일", "%p %I시 %M분 %S초", "", "2004년 03월 02일", "PM 03시 04분", "PM 03시 04분 05초",
         "2004/03 15:04"},
        {"%d de %B de %Y", "%Hh%M", "", "02 de March de 2004", "15h04", "15h04", "2004/03 15:04"},
        {"%d'%m\"%Y%%", "%H.%M/%S", "", "02'03\"2004%", "15.04", "15.04/05", "2004/03 15.04"},
        // Not carried over: unknown conversions, %r without its format, empty texts.
        {"%j", "%Z", "", "02/03/2004", "15:04", "15:04:05", "2004/03 15:04"},
        {"", "%r", "", "02/03/2004", "15:04", "15:04:05", "2004/03 15:04"},
        {"%d.%m.%", "%H:%M:%", "", "02/03/2004", "15:04", "15:04:05", "2004/03 15:04"},
    };
    for (const auto &c : cases) {
        auto locale = DateTimeLocale::fallback();
        locale.applyStrftimeFormats(c.dateFormat, c.timeFormat, c.timeFormatAmPm);
        const auto text = FormatDateTimePattern("ddddd|t|tt|yyyy/mm hh:nn", kSample, locale);
        ASSERT_TRUE(text);
        EXPECT_EQ(*text, std::string(c.shortDate) + "|" + c.shortTime + "|" + c.longTime + "|" + c.separators)
            << c.dateFormat << " / " << c.timeFormat;
    }
}

TEST(FormatDuration, Milliseconds)
{
    struct Case {
        std::int64_t duration;
        const char *expected;
    };
    const Case cases[] = {
        {0, "0milliseconds"},
        {9'999, "0milliseconds"},
        {400'000, "40milliseconds"},
        {9'999'999, "999milliseconds"},
        {10'000'000, "1s 000ms"},
        {15'000'000, "1s 500ms"},
        {599'990'000, "59s 999ms"},
        {600'000'000, "1mn 00s 000ms"},
        {35'999'990'000, "59mn 59s 999ms"},
        {36'000'000'000, "1h 00mn 00s 000ms"},
        {37'230'400'000, "1h 02mn 03s 040ms"},
        {3'600'000'000'000, "100h 00mn 00s 000ms"},
        {std::numeric_limits<std::int64_t>::max(), "256204778h 48mn 05s 477ms"},
        // Negative durations keep the truncating arithmetic: no field above zero.
        {-400'000, "-40milliseconds"},
        {-10'000'000, "0milliseconds"},
        {-15'000'000, "-500milliseconds"},
        {std::numeric_limits<std::int64_t>::min(), "-477milliseconds"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatDurationMs(c.duration), c.expected) << c.duration;
}

TEST(FormatDuration, MinutesAndSecondsAsPeopleSayThem)
{
    const struct {
        std::int64_t duration;
        const char *expected;
    } cases[] = {
        {0, "0 s"},
        {9'999'999, "0 s"},
        {390'000'000, "39 s"},
        {1'590'400'000, "2 min 39 s"},
        {3'600'000'000, "6 min 00 s"},
        {37'230'400'000, "1 h 02 min 03 s"},
        {-10'000'000, "0 s"},
        {std::numeric_limits<std::int64_t>::max(), "256204778 h 48 min 05 s"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatMinutesSeconds(c.duration), c.expected) << c.duration;
}

TEST(FormatDuration, Frames)
{
    struct Case {
        std::int64_t frameLength, duration;
        const char *expected;
    };
    const Case cases[] = {
        {400'000, 0, "0fr"},
        {400'000, 399'999, "0fr"},
        {400'000, 400'000, "1fr"},
        {400'000, 9'999'999, "24fr"},
        {400'000, 10'000'000, "1s 00fr"},
        {400'000, 15'000'000, "1s 12fr"},
        {400'000, 600'000'000, "1mn 00s 00fr"},
        {400'000, 36'000'000'000, "1h 00mn 00s 00fr"},
        {400'000, 37'239'600'000, "1h 02mn 03s 24fr"},
        {333'667, 19'676'343, "1s 29fr"},
        {333'667, 333'666, "0fr"},
        {400'000, -800'000, "-2fr"},
        {0, 15'000'000, "??"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatDurationFrames(c.frameLength, c.duration), c.expected) << c.frameLength << " " << c.duration;
}

TEST(FormatPosition, FramePosition)
{
    struct Case {
        std::uint32_t frame;
        double rate;
        const char *expected;
    };
    const Case cases[] = {
        {0, 25, "00:00"},
        {12, 25, "00:12"},
        {24, 25, "00:24"},
        {25, 25, "01:00"},
        {1499, 25, "59:24"},
        {1500, 25, "01:00:00"},
        {89'999, 25, "59:59:24"},
        {90'000, 25, "1:00:00:00"},
        {900'000, 25, "10:00:00:00"},
        {4'294'967'295u, 25, "47721:51:31:20"},
        {1, 29.97, "00:01"},
        {30, 29.97, "01:00"},
        {100'000, 29.97, "55:36:20"},
        // Frames left over after the whole seconds round half to even: 0.5 → 0, 1.5 → 2.
        {3, 2.5, "01:00"},
        {4, 2.5, "01:02"},
        {8, 2.5, "03:00"},
        {0, 0, "??"},
        {1500, 0, "??"},
        {1500, -25, "??"},
        {1500, std::numeric_limits<double>::quiet_NaN(), "??"},
        {1500, std::numeric_limits<double>::infinity(), "??"},
        {4'294'967'295u, 1e-300, "??"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatFramePosition(c.frame, c.rate), c.expected) << c.frame << " @ " << c.rate;
}

TEST(FormatPosition, SrtTime)
{
    struct Case {
        std::uint32_t frame;
        double rate;
        const char *expected;
    };
    const Case cases[] = {
        {0, 25, "00:00:00,000"},
        {1, 25, "00:00:00,040"},
        {1, 29.97, "00:00:00,033"},
        {2, 29.97, "00:00:00,067"},
        {25, 25, "00:00:01,000"},
        {1500, 25, "00:01:00,000"},
        {89'999, 25, "00:59:59,960"},
        {90'000, 25, "01:00:00,000"},
        {9'000'000, 25, "100:00:00,000"},
        {4'294'967'295u, 25, "47721:51:31,800"},
        // Milliseconds round half to even: 2.5 → 2, 7.5 → 8, 0.5 → 0.
        {1, 400, "00:00:00,002"},
        {3, 400, "00:00:00,008"},
        {1, 2000, "00:00:00,000"},
        {0, 0, "??"},
        {25, 0, "??"},
        {4'294'967'295u, 1e-300, "??"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatSrtTime(c.frame, c.rate), c.expected) << c.frame << " @ " << c.rate;
}

TEST(FormatTimecode, BothNotations)
{
    struct Case {
        TTimecode timecode;
        const char *dots;
        const char *colons;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, "00.00.00.00", "0:00:00:00"},
        {{1, 2, 3, 4}, "01.02.03.04", "1:02:03:04"},
        {{12, 59, 59, 29}, "12.59.59.29", "12:59:59:29"},
        {{255, 255, 255, 255}, "255.255.255.255", "255:255:255:255"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FormatTimecodeDots(c.timecode), c.dots);
        EXPECT_EQ(FormatTimecodeColons(c.timecode), c.colons);
    }
}

TEST(FormatFileSize, GroupsOfThree)
{
    struct Case {
        std::int64_t bytes;
        const char *separator;
        const char *expected;
    };
    const Case cases[] = {
        {0, ",", "0"},
        {7, ",", "7"},
        {999, ",", "999"},
        {1000, ",", "1,000"},
        {123'456, ",", "123,456"},
        {1'234'567, ",", "1,234,567"},
        {26'214'400'000, ",", "26,214,400,000"},
        {std::numeric_limits<std::int64_t>::max(), ",", "9,223,372,036,854,775,807"},
        {-1, ",", "-1"},
        {-123, ",", "-123"},
        {-1234, ",", "-1,234"},
        {-123'456, ",", "-123,456"},
        {std::numeric_limits<std::int64_t>::min(), ",", "-9,223,372,036,854,775,808"},
        {1'234'567, ".", "1.234.567"},
        {1'234'567, "\u202f", "1\u202f234\u202f567"},
        {1'234'567, "", "1234567"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatFileSize(c.bytes, c.separator), c.expected) << c.bytes;
}

TEST(FormatFileSize, LocaleWithoutSeparatorGivesComma)
{
    for (const char *name : {"C", "POSIX", "C.UTF-8"}) {
        LocaleGuard guard(LC_NUMERIC, name);
        if (!guard.ok())
            continue;
        EXPECT_EQ(FormatFileSize(1'234'567'890), "1,234,567,890") << name;
        EXPECT_EQ(FormatFileSize(-4096), "-4,096") << name;
    }
}

TEST(AudioFormatName, Table)
{
    struct Case {
        std::uint16_t tag;
        const char *name;
    };
    const Case cases[] = {
        {0x0001, "PCM"},        {0x0002, "ADPCM"},
        {0x0003, "IEEE_FLOAT"}, {0x0050, "MPEG"},
        {0x0055, "MP3"},        {0x0062, "VOXWARE"},
        {0x0075, "VOXWARE"},    {0x0092, "Unknown"},
        {0x003A, "ECHOSC3"},    {0x0203, "CREATIVE_FASTSPEECH10"},
        {0x1004, "OLIOPR"},     {0x1400, "NORRIS"},
        {0x0000, "Unknown"},    {0x0004, "Unknown"},
        {0x0161, "Unknown"},    {0x2000, "Unknown"},
        {0xFFFE, "Unknown"},    {0xFFFF, "Unknown"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AudioFormatName(c.tag), c.name) << std::hex << c.tag;

    int known = 0;
    for (std::uint32_t tag = 0; tag <= 0xFFFF; ++tag) {
        if (AudioFormatName(static_cast<std::uint16_t>(tag)) != "Unknown")
            ++known;
    }
    EXPECT_EQ(known, 64);
}
