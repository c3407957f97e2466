// Text forms shared by the whole program: date-time patterns, durations, frame positions, timecodes, sizes, audio tags.
#pragma once

#include "core/date_time.h"
#include "core/dv_frame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace camlog::core {

// The locale texts the date-time pattern language draws on. The four formats are written
// in the pattern language itself, so "/" and ":" inside them stand for the separators
// below. Every text is UTF-8.
struct DateTimeLocale {
    std::array<std::string, 7> shortDayNames;    // [0] = Sunday
    std::array<std::string, 7> longDayNames;     // [0] = Sunday
    std::array<std::string, 12> shortMonthNames; // [0] = January
    std::array<std::string, 12> longMonthNames;  // [0] = January
    std::string shortDateFormat;                 // ddddd
    std::string longDateFormat;                  // dddddd
    std::string shortTimeFormat;                 // t
    std::string longTimeFormat;                  // tt
    std::string amMarker;                        // ampm, before noon
    std::string pmMarker;                        // ampm, from noon on
    std::string dateSeparator;                   // /
    std::string timeSeparator;                   // :

    // English names, "dd/mm/yyyy", "dddd d mmmm yyyy", "hh:nn", "hh:nn:ss", "AM"/"PM", "/" and ":".
    static DateTimeLocale fallback();

    // The C library's current LC_TIME locale (nl_langinfo); every item the locale leaves
    // empty, gives in another character set than UTF-8, or writes with strftime
    // conversions that have no counterpart in the pattern language keeps its fallback.
    // The C library has no long date format, so that one is always the fallback's.
    static DateTimeLocale current();

    // Takes the short date format, the long and short time formats and both separators
    // from strftime formats (as D_FMT, T_FMT and T_FMT_AMPM give them; "%r" in the time
    // format stands for timeFormatAmPm). The short time is the long time without its
    // seconds. A format that cannot be carried over leaves the present values.
    void applyStrftimeFormats(std::string_view dateFormat, std::string_view timeFormat,
                              std::string_view timeFormatAmPm);
};

// Formats a date-time value through the pattern language (d dd ddd dddd ddddd dddddd,
// m mm mmm mmmm, yy yyyy, h hh, n nn, s ss, z zzz, t tt, c, am/pm a/p ampm, / :, quoted
// text; letters case-insensitive, everything else copied). No value when the date-time
// lies outside years 1..9999 (callers show "N/A" or nothing). The two-argument form reads
// the C library's current locale on every call.
std::optional<std::string> FormatDateTimePattern(std::string_view pattern, DateTime value);
std::optional<std::string> FormatDateTimePattern(std::string_view pattern, DateTime value,
                                                 const DateTimeLocale &locale);

// Durations in 100-ns units: "1h 02mn 03s 040ms" down to "40milliseconds".
std::string FormatDurationMs(std::int64_t duration);
// The same with the frames of the part below one second: "1h 02mn 03s 01fr" down to "1fr".
// A frame length of 0 gives "??".
std::string FormatDurationFrames(std::int64_t frameLength, std::int64_t duration);

// Frame index at a frame rate as "h:mm:ss:ff", "mm:ss:ff" or "ss:ff"; "??" for a rate
// that is 0 (or not a positive finite number).
std::string FormatFramePosition(std::uint32_t frame, double rate);
// Subtitle time stamp "hh:mm:ss,mmm" of a frame index; hours above 99 get more digits.
// "??" for a rate that is 0 (or not a positive finite number).
std::string FormatSrtTime(std::uint32_t frame, double rate);
// The milliseconds of that time stamp (frame × 1000 ÷ rate, rounded half to even); no value
// for a rate that is not a positive finite number.
std::optional<std::int64_t> SrtTimeMs(std::uint32_t frame, double rate);

// "01.02.03.04": the notation of the file object and the information panel.
std::string FormatTimecodeDots(const TTimecode &timecode);
// "1:02:03:04": the notation of the scene detection and the inlay texts.
std::string FormatTimecodeColons(const TTimecode &timecode);

// Byte count with thousands separators in groups of three, no decimals. The separator is
// the current LC_NUMERIC locale's, or "," when the locale has none (as the C locale).
std::string FormatFileSize(std::int64_t bytes);
std::string FormatFileSize(std::int64_t bytes, std::string_view separator);

// Name of a WAVEFORMATEX format tag; "Unknown" for tags outside the table (0 included).
std::string AudioFormatName(std::uint16_t formatTag);

} // namespace camlog::core
