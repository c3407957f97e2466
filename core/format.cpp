// Text forms shared by the whole program: the date-time pattern language, durations, positions, sizes, tags.
#include "core/format.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <langinfo.h>
#include <utility>
#include <vector>

namespace camlog::core {

namespace {

// ---------------------------------------------------------------------------------------
// Small helpers

// ASCII only: the pattern language must not change meaning with the locale (std::tolower
// folds differently in some locales).
char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAsciiLetter(char c)
{
    const char l = asciiLower(c);
    return l >= 'a' && l <= 'z';
}

bool isAsciiPunct(char c)
{
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view word)
{
    if (text.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (asciiLower(text[at + i]) != word[i])
            return false;
    }
    return true;
}

bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1Fu;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07u;
        } else {
            return false;
        }
        if (s.size() - i <= static_cast<std::size_t>(extra))
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0u) != 0x80u)
                return false;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        // Overlong forms, surrogates and values above U+10FFFF.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

// Locale texts come in the locale's own character set; only UTF-8 (ASCII included) is
// passed on, so the results are always UTF-8.
bool isUsableText(const char *text)
{
    return text != nullptr && *text != '\0' && isValidUtf8(text);
}

// Padded with zeros to at least `digits` digits, the sign in front ("%.*lld").
void appendNumber(std::string &out, long long value, int digits)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*lld", digits, value);
    out += buffer;
}

// Round half to even, independent of the floating-point rounding mode.
double roundHalfEven(double x)
{
    const double lower = std::floor(x);
    const double diff = x - lower;
    if (diff > 0.5)
        return lower + 1.0;
    if (diff < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

// ---------------------------------------------------------------------------------------
// Pattern language

enum class Specifier {
    Literal,
    Day,
    Day2,
    DayNameShort,
    DayNameLong,
    DateShort,
    DateLong,
    Month,
    Month2,
    MonthNameShort,
    MonthNameLong,
    Year2,
    Year4,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    Milli,
    Milli3,
    TimeShort,
    TimeLong,
    DateAndTime,
    AmPmAsWritten, // am/pm and a/p: the pattern's own letters
    AmPmLocale,    // ampm
    DateSeparator,
    TimeSeparator,
};

struct Token {
    Specifier kind = Specifier::Literal;
    std::string text; // literal text, or the morning form of AmPmAsWritten
    std::string pm;   // the afternoon form of AmPmAsWritten
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view pattern) : m_pattern(pattern) {}

    std::vector<Token> run()
    {
        while (m_pos < m_pattern.size())
            step();
        return std::move(m_tokens);
    }

private:
    // Length of the run of one letter (either case) starting at m_pos.
    std::size_t runLength() const
    {
        const char c = asciiLower(m_pattern[m_pos]);
        std::size_t n = 1;
        while (m_pos + n < m_pattern.size() && asciiLower(m_pattern[m_pos + n]) == c)
            ++n;
        return n;
    }

    void literal(std::string_view text)
    {
        if (!m_tokens.empty() && m_tokens.back().kind == Specifier::Literal)
            m_tokens.back().text += text;
        else
            m_tokens.push_back({Specifier::Literal, std::string(text), {}});
    }

    void push(Specifier kind, std::size_t length)
    {
        m_tokens.push_back({kind, {}, {}});
        m_pos += length;
        m_afterHour = false;
    }

    void step()
    {
        const char c = m_pattern[m_pos];
        switch (asciiLower(c)) {
        case '\'':
        case '"': {
            // Quoted text, up to the same quote or the pattern's end. Like a separator it
            // keeps an hour specifier's hold on a following m ("hh'h'mm").
            const std::size_t end = m_pattern.find(c, m_pos + 1);
            const std::size_t stop = end == std::string_view::npos ? m_pattern.size() : end;
            literal(m_pattern.substr(m_pos + 1, stop - m_pos - 1));
            m_pos = end == std::string_view::npos ? m_pattern.size() : end + 1;
            return;
        }
        case '/':
            m_tokens.push_back({Specifier::DateSeparator, {}, {}});
            ++m_pos;
            return;
        case ':':
            m_tokens.push_back({Specifier::TimeSeparator, {}, {}});
            ++m_pos;
            return;
        case 'd': {
            // Runs longer than six read as dddddd.
            static constexpr Specifier kByCount[] = {Specifier::Day,          Specifier::Day2,
                                                     Specifier::DayNameShort, Specifier::DayNameLong,
                                                     Specifier::DateShort,    Specifier::DateLong};
            const std::size_t n = runLength();
            push(kByCount[std::min<std::size_t>(n, 6) - 1], n);
            return;
        }
        case 'm': {
            // m and mm right after an hour (only separators and quoted text between) are
            // minutes; mmm and longer stay month names.
            const std::size_t n = runLength();
            static constexpr Specifier kByCount[] = {Specifier::Month, Specifier::Month2, Specifier::MonthNameShort,
                                                     Specifier::MonthNameLong};
            if (n <= 2 && m_afterHour)
                push(n == 1 ? Specifier::Minute : Specifier::Minute2, n);
            else
                push(kByCount[std::min<std::size_t>(n, 4) - 1], n);
            return;
        }
        case 'y': {
            // y and yy: two digits; three or more: four digits.
            const std::size_t n = runLength();
            push(n <= 2 ? Specifier::Year2 : Specifier::Year4, n);
            return;
        }
        case 'h': {
            const std::size_t n = runLength();
            push(n == 1 ? Specifier::Hour : Specifier::Hour2, n);
            m_afterHour = true;
            return;
        }
        case 'n': {
            const std::size_t n = runLength();
            push(n == 1 ? Specifier::Minute : Specifier::Minute2, n);
            return;
        }
        case 's': {
            const std::size_t n = runLength();
            push(n == 1 ? Specifier::Second : Specifier::Second2, n);
            return;
        }
        case 'z': {
            // z and zz unpadded; zzz and longer padded to three digits.
            const std::size_t n = runLength();
            push(n <= 2 ? Specifier::Milli : Specifier::Milli3, n);
            return;
        }
        case 't': {
            const std::size_t n = runLength();
            push(n == 1 ? Specifier::TimeShort : Specifier::TimeLong, n);
            return;
        }
        case 'c':
            push(Specifier::DateAndTime, 1);
            return;
        case 'a':
            if (startsWithNoCase(m_pattern, m_pos, "am/pm")) {
                m_tokens.push_back({Specifier::AmPmAsWritten, std::string(m_pattern.substr(m_pos, 2)),
                                    std::string(m_pattern.substr(m_pos + 3, 2))});
                m_pos += 5;
                m_afterHour = false;
                return;
            }
            if (startsWithNoCase(m_pattern, m_pos, "a/p")) {
                m_tokens.push_back({Specifier::AmPmAsWritten, std::string(m_pattern.substr(m_pos, 1)),
                                    std::string(m_pattern.substr(m_pos + 2, 1))});
                m_pos += 3;
                m_afterHour = false;
                return;
            }
            if (startsWithNoCase(m_pattern, m_pos, "ampm")) {
                push(Specifier::AmPmLocale, 4);
                return;
            }
            break;
        default:
            break;
        }
        // Copied unchanged; a letter ends an hour's hold on a following m, other
        // characters (spaces, separators, digits, bytes of non-ASCII text) do not.
        literal(m_pattern.substr(m_pos, 1));
        if (isAsciiLetter(c))
            m_afterHour = false;
        ++m_pos;
    }

    std::string_view m_pattern;
    std::size_t m_pos = 0;
    bool m_afterHour = false;
    std::vector<Token> m_tokens;
};

struct Moment {
    DateTimeFields fields;
    int dayOfWeek = 1; // 1 = Sunday
};

// The locale's formats nest one level below the caller's pattern; deeper references (only
// possible through a hand-made DateTimeLocale that names ddddd inside its own short date)
// give nothing instead of recursing without end.
constexpr int kMaxNesting = 1;

void render(std::string &out, std::string_view pattern, const Moment &moment, const DateTimeLocale &locale, int depth)
{
    if (depth > kMaxNesting)
        return;
    const std::vector<Token> tokens = Tokenizer(pattern).run();
    bool twelveHour = false;
    for (const Token &token : tokens) {
        if (token.kind == Specifier::AmPmAsWritten || token.kind == Specifier::AmPmLocale)
            twelveHour = true;
    }

    const DateTimeFields &f = moment.fields;
    const bool morning = f.hour < 12;
    int hour = f.hour;
    if (twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }

    for (const Token &token : tokens) {
        switch (token.kind) {
        case Specifier::Literal:
            out += token.text;
            break;
        case Specifier::Day:
            appendNumber(out, f.day, 1);
            break;
        case Specifier::Day2:
            appendNumber(out, f.day, 2);
            break;
        case Specifier::DayNameShort:
            out += locale.shortDayNames[static_cast<std::size_t>(moment.dayOfWeek - 1)];
            break;
        case Specifier::DayNameLong:
            out += locale.longDayNames[static_cast<std::size_t>(moment.dayOfWeek - 1)];
            break;
        case Specifier::DateShort:
            render(out, locale.shortDateFormat, moment, locale, depth + 1);
            break;
        case Specifier::DateLong:
            render(out, locale.longDateFormat, moment, locale, depth + 1);
            break;
        case Specifier::Month:
            appendNumber(out, f.month, 1);
            break;
        case Specifier::Month2:
            appendNumber(out, f.month, 2);
            break;
        case Specifier::MonthNameShort:
            out += locale.shortMonthNames[static_cast<std::size_t>(f.month - 1)];
            break;
        case Specifier::MonthNameLong:
            out += locale.longMonthNames[static_cast<std::size_t>(f.month - 1)];
            break;
        case Specifier::Year2:
            appendNumber(out, f.year % 100, 2);
            break;
        case Specifier::Year4:
            appendNumber(out, f.year, 4);
            break;
        case Specifier::Hour:
            appendNumber(out, hour, 1);
            break;
        case Specifier::Hour2:
            appendNumber(out, hour, 2);
            break;
        case Specifier::Minute:
            appendNumber(out, f.minute, 1);
            break;
        case Specifier::Minute2:
            appendNumber(out, f.minute, 2);
            break;
        case Specifier::Second:
            appendNumber(out, f.second, 1);
            break;
        case Specifier::Second2:
            appendNumber(out, f.second, 2);
            break;
        case Specifier::Milli:
            appendNumber(out, f.millisecond, 1);
            break;
        case Specifier::Milli3:
            appendNumber(out, f.millisecond, 3);
            break;
        case Specifier::TimeShort:
            render(out, locale.shortTimeFormat, moment, locale, depth + 1);
            break;
        case Specifier::TimeLong:
            render(out, locale.longTimeFormat, moment, locale, depth + 1);
            break;
        case Specifier::DateAndTime:
            render(out, locale.shortDateFormat, moment, locale, depth + 1);
            if (f.hour != 0 || f.minute != 0 || f.second != 0 || f.millisecond != 0) {
                out += ' ';
                render(out, locale.longTimeFormat, moment, locale, depth + 1);
            }
            break;
        case Specifier::AmPmAsWritten:
            out += morning ? token.text : token.pm;
            break;
        case Specifier::AmPmLocale:
            out += morning ? locale.amMarker : locale.pmMarker;
            break;
        case Specifier::DateSeparator:
            out += locale.dateSeparator;
            break;
        case Specifier::TimeSeparator:
            out += locale.timeSeparator;
            break;
        }
    }
}

// ---------------------------------------------------------------------------------------
// strftime formats carried over into the pattern language

struct Piece {
    bool conversion = false;
    std::string text; // a pattern specifier, or literal text
};

void appendLiteralPiece(std::vector<Piece> &pieces, std::string_view text)
{
    if (!pieces.empty() && !pieces.back().conversion)
        pieces.back().text += text;
    else
        pieces.push_back({false, std::string(text)});
}

// False when the format uses a conversion the pattern language cannot express
// (%j, %Z, %U, %C, ...). Flags, widths and the E/O modifiers are dropped; "-" and "_"
// (no zero padding) pick the unpadded specifier.
bool parseStrftime(std::string_view format, std::string_view ampmFormat, bool allowR, std::vector<Piece> &pieces)
{
    auto sub = [&](std::string_view expansion) {
        return parseStrftime(expansion, {}, false, pieces);
    };
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            appendLiteralPiece(pieces, format.substr(i, 1));
            ++i;
            continue;
        }
        ++i;
        bool unpadded = false;
        while (i < format.size() && format[i] != '\0' && std::strchr("-_0^#", format[i]) != nullptr) {
            if (format[i] == '-' || format[i] == '_')
                unpadded = true;
            ++i;
        }
        while (i < format.size() && format[i] >= '0' && format[i] <= '9')
            ++i;
        if (i < format.size() && (format[i] == 'E' || format[i] == 'O'))
            ++i;
        if (i >= format.size())
            return false;
        const char conv = format[i++];
        auto add = [&](const char *padded, const char *plain) {
            pieces.push_back({true, unpadded ? plain : padded});
        };
        switch (conv) {
        case 'd':
            add("dd", "d");
            break;
        case 'e':
            add("d", "d");
            break;
        case 'm':
            add("mm", "m");
            break;
        case 'y':
            add("yy", "yy");
            break;
        case 'Y':
            add("yyyy", "yyyy");
            break;
        case 'b':
        case 'h':
            add("mmm", "mmm");
            break;
        case 'B':
            add("mmmm", "mmmm");
            break;
        case 'a':
            add("ddd", "ddd");
            break;
        case 'A':
            add("dddd", "dddd");
            break;
        case 'H':
        case 'I':
            add("hh", "h");
            break;
        case 'k':
        case 'l':
            add("h", "h");
            break;
        case 'M':
            add("nn", "n");
            break;
        case 'S':
            add("ss", "s");
            break;
        case 'p':
        case 'P':
            add("ampm", "ampm");
            break;
        case 'D':
            if (!sub("%m/%d/%y"))
                return false;
            break;
        case 'F':
            if (!sub("%Y-%m-%d"))
                return false;
            break;
        case 'T':
            if (!sub("%H:%M:%S"))
                return false;
            break;
        case 'R':
            if (!sub("%H:%M"))
                return false;
            break;
        case 'r':
            if (!allowR || ampmFormat.empty() || !sub(ampmFormat))
                return false;
            break;
        case 'n':
        case 't':
            appendLiteralPiece(pieces, " ");
            break;
        case '%':
            appendLiteralPiece(pieces, "%");
            break;
        default:
            return false;
        }
    }
    return true;
}

// The literal between the first two conversions when it is one punctuation character.
std::optional<std::string> separatorOf(const std::vector<Piece> &pieces)
{
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        if (!pieces[i].conversion && pieces[i - 1].conversion && pieces[i + 1].conversion) {
            const std::string &t = pieces[i].text;
            if (t.size() == 1 && isAsciiPunct(t[0]) && t[0] != '\'' && t[0] != '"')
                return t;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Joins pieces into a pattern: a literal equal to the format's separator becomes the
// separator specifier, other literals are quoted when they hold letters, quotes, "/" or ":".
std::string joinPattern(const std::vector<Piece> &pieces, const std::optional<std::string> &separator,
                        std::string_view separatorSpecifier)
{
    std::string out;
    for (const Piece &piece : pieces) {
        if (piece.conversion) {
            out += piece.text;
            continue;
        }
        if (separator && piece.text == *separator) {
            out += separatorSpecifier;
            continue;
        }
        for (const char c : piece.text) {
            if (isAsciiLetter(c) || c == '/' || c == ':') {
                out += '"';
                out += c;
                out += '"';
            } else if (c == '"')
                out += "'\"'";
            else if (c == '\'')
                out += "\"'\"";
            else
                out += c;
        }
    }
    return out;
}

bool isPunctOrSpace(std::string_view text)
{
    for (const char c : text) {
        if (!isAsciiPunct(c) && c != ' ')
            return false;
    }
    return !text.empty();
}

// The long time without its seconds: "%H:%M:%S" → hh:nn, "%I:%M:%S %p" → hh:nn ampm,
// "%H時%M分%S秒" → hh時nn分 (a punctuation literal before the seconds goes with them,
// otherwise the text after them, up to a space, is their unit).
std::vector<Piece> withoutSeconds(std::vector<Piece> pieces)
{
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!pieces[i].conversion || (pieces[i].text != "ss" && pieces[i].text != "s"))
            continue;
        std::size_t from = i;
        std::size_t to = i + 1;
        if (i > 0 && !pieces[i - 1].conversion && isPunctOrSpace(pieces[i - 1].text)) {
            from = i - 1;
        } else if (to < pieces.size() && !pieces[to].conversion) {
            std::string &next = pieces[to].text;
            const std::size_t space = next.find(' ');
            next.erase(0, space == std::string::npos ? next.size() : space);
            if (next.empty())
                ++to;
        }
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(from),
                     pieces.begin() + static_cast<std::ptrdiff_t>(to));
        break;
    }
    if (!pieces.empty() && !pieces.back().conversion) {
        std::string &last = pieces.back().text;
        while (!last.empty() && last.back() == ' ')
            last.pop_back();
        if (last.empty())
            pieces.pop_back();
    }
    return pieces;
}

constexpr std::array<const char *, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char *, 7> kLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                   "Thursday", "Friday", "Saturday"};
constexpr std::array<const char *, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char *, 12> kLongMonths = {"January",   "February", "March",    "April",
                                                      "May",       "June",     "July",     "August",
                                                      "September", "October",  "November", "December"};

bool isCLocaleName(const char *name)
{
    return std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 || std::strncmp(name, "C.", 2) == 0;
}

} // namespace

DateTimeLocale DateTimeLocale::fallback()
{
    DateTimeLocale l;
    for (std::size_t i = 0; i < 7; ++i) {
        l.shortDayNames[i] = kShortDays[i];
        l.longDayNames[i] = kLongDays[i];
    }
    for (std::size_t i = 0; i < 12; ++i) {
        l.shortMonthNames[i] = kShortMonths[i];
        l.longMonthNames[i] = kLongMonths[i];
    }
    l.shortDateFormat = "dd/mm/yyyy";
    l.longDateFormat = "dddd d mmmm yyyy";
    l.shortTimeFormat = "hh:nn";
    l.longTimeFormat = "hh:nn:ss";
    l.amMarker = "AM";
    l.pmMarker = "PM";
    l.dateSeparator = "/";
    l.timeSeparator = ":";
    return l;
}

void DateTimeLocale::applyStrftimeFormats(std::string_view dateFormat, std::string_view timeFormat,
                                          std::string_view timeFormatAmPm)
{
    std::vector<Piece> date;
    if (!dateFormat.empty() && parseStrftime(dateFormat, {}, false, date)) {
        const auto separator = separatorOf(date);
        if (separator)
            dateSeparator = *separator;
        shortDateFormat = joinPattern(date, separator, "/");
    }
    std::vector<Piece> time;
    if (!timeFormat.empty() && parseStrftime(timeFormat, timeFormatAmPm, true, time)) {
        const auto separator = separatorOf(time);
        if (separator)
            timeSeparator = *separator;
        longTimeFormat = joinPattern(time, separator, ":");
        shortTimeFormat = joinPattern(withoutSeconds(std::move(time)), separator, ":");
    }
}

DateTimeLocale DateTimeLocale::current()
{
    DateTimeLocale l = fallback();
    // The C and POSIX locales (C.UTF-8 included) are the absence of a user's choice, not
    // one: their names equal the fallback's, and their American "%m/%d/%y" would make an
    // ambiguous two-digit date, so they keep the fallback formats as a whole.
    const char *name = std::setlocale(LC_TIME, nullptr);
    if (name == nullptr || isCLocaleName(name))
        return l;

    // Copied at once: nl_langinfo's buffers may be reused by the next call.
    auto read = [](nl_item item, std::string &target) {
        const char *text = nl_langinfo(item);
        if (isUsableText(text))
            target = text;
    };
    static constexpr nl_item kAbDay[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
    static constexpr nl_item kDay[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    static constexpr nl_item kAbMon[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                           ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    static constexpr nl_item kMon[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                         MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    for (std::size_t i = 0; i < 7; ++i) {
        read(kAbDay[i], l.shortDayNames[i]);
        read(kDay[i], l.longDayNames[i]);
    }
    for (std::size_t i = 0; i < 12; ++i) {
        read(kAbMon[i], l.shortMonthNames[i]);
        read(kMon[i], l.longMonthNames[i]);
    }
    read(AM_STR, l.amMarker);
    read(PM_STR, l.pmMarker);

    std::string dateFormat, timeFormat, timeFormatAmPm;
    read(D_FMT, dateFormat);
    read(T_FMT, timeFormat);
    read(T_FMT_AMPM, timeFormatAmPm);
    if (timeFormat.empty())
        timeFormat = timeFormatAmPm;
    l.applyStrftimeFormats(dateFormat, timeFormat, timeFormatAmPm);
    return l;
}

std::optional<std::string> FormatDateTimePattern(std::string_view pattern, DateTime value)
{
    return FormatDateTimePattern(pattern, value, DateTimeLocale::current());
}

std::optional<std::string> FormatDateTimePattern(std::string_view pattern, DateTime value, const DateTimeLocale &locale)
{
    const auto fields = value.fields();
    if (!fields)
        return std::nullopt;
    const Moment moment{*fields, value.dayOfWeek()};
    std::string out;
    render(out, pattern, moment, locale, 0);
    return out;
}

// ---------------------------------------------------------------------------------------
// Durations and positions. Division truncates towards zero and the remainder takes the
// dividend's sign, so negative durations give negative fields, as the arithmetic says.

namespace {

constexpr std::int64_t kUnitsPerSecond = 10'000'000;

// The part below one second goes last, padded to `width` digits and followed by `unit`;
// when no whole second is left it stands alone, followed by `aloneUnit`.
std::string formatDuration(std::int64_t duration, std::int64_t part, int width, const char *unit, const char *aloneUnit)
{
    const std::int64_t total = duration / kUnitsPerSecond;
    const auto s = static_cast<long long>(total % 60);
    const auto m = static_cast<long long>((total / 60) % 60);
    const auto h = static_cast<long long>((total / 60) / 60);
    const auto p = static_cast<long long>(part);
    char buffer[96];
    if (h > 0)
        std::snprintf(buffer, sizeof buffer, "%lldh %.2lldmn %.2llds %.*lld%s", h, m, s, width, p, unit);
    else if (m > 0)
        std::snprintf(buffer, sizeof buffer, "%lldmn %.2llds %.*lld%s", m, s, width, p, unit);
    else if (s > 0)
        std::snprintf(buffer, sizeof buffer, "%llds %.*lld%s", s, width, p, unit);
    else
        std::snprintf(buffer, sizeof buffer, "%lld%s", p, aloneUnit);
    return buffer;
}

} // namespace

std::string FormatDurationMs(std::int64_t duration)
{
    return formatDuration(duration, (duration % kUnitsPerSecond) / 10'000, 3, "ms", "milliseconds");
}

std::string FormatDurationFrames(std::int64_t frameLength, std::int64_t duration)
{
    if (frameLength == 0)
        return "??";
    return formatDuration(duration, (duration % kUnitsPerSecond) / frameLength, 2, "fr", "fr");
}

std::string FormatFramePosition(std::uint32_t frame, double rate)
{
    if (!(rate > 0.0) || !std::isfinite(rate))
        return "??";
    const double exact = std::trunc(static_cast<double>(frame) / rate);
    // A tiny rate could give more seconds than any integer holds.
    if (!(exact < 9.0e18))
        return "??";
    const auto secs = static_cast<long long>(exact);
    const auto ff = static_cast<long long>(roundHalfEven(static_cast<double>(frame) - exact * rate));
    const long long h = secs / 3600;
    const long long m = (secs / 60) % 60;
    const long long s = secs % 60;
    char buffer[96];
    if (h > 0)
        std::snprintf(buffer, sizeof buffer, "%lld:%.2lld:%.2lld:%.2lld", h, m, s, ff);
    else if (m > 0)
        std::snprintf(buffer, sizeof buffer, "%.2lld:%.2lld:%.2lld", m, s, ff);
    else
        std::snprintf(buffer, sizeof buffer, "%.2lld:%.2lld", s, ff);
    return buffer;
}

std::optional<std::int64_t> SrtTimeMs(std::uint32_t frame, double rate)
{
    if (!(rate > 0.0) || !std::isfinite(rate))
        return std::nullopt;
    const double exact = roundHalfEven(static_cast<double>(frame) * 1000.0 / rate);
    if (!(exact < 9.0e18))
        return std::nullopt;
    return static_cast<std::int64_t>(exact);
}

std::string FormatSrtTime(std::uint32_t frame, double rate)
{
    const std::optional<std::int64_t> exact = SrtTimeMs(frame, rate);
    if (!exact)
        return "??";
    long long t = *exact;
    const long long ms = t % 1000;
    t /= 1000;
    const long long s = t % 60;
    t /= 60;
    const long long m = t % 60;
    const long long h = t / 60;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%.2lld:%.2lld:%.2lld,%.3lld", h, m, s, ms);
    return buffer;
}

std::string FormatTimecodeDots(const TTimecode &timecode)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2d.%.2d.%.2d.%.2d", timecode.hours, timecode.minutes, timecode.seconds,
                  timecode.frames);
    return buffer;
}

std::string FormatTimecodeColons(const TTimecode &timecode)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d:%.2d:%.2d:%.2d", timecode.hours, timecode.minutes, timecode.seconds,
                  timecode.frames);
    return buffer;
}

// ---------------------------------------------------------------------------------------
// Sizes and audio tags

std::string FormatFileSize(std::int64_t bytes)
{
    // localeconv() describes LC_NUMERIC; the C locale (and some others) has no thousands
    // separator, and then "," is used so that large sizes stay readable.
    const std::lconv *conv = std::localeconv();
    const char *separator = conv != nullptr ? conv->thousands_sep : nullptr;
    return FormatFileSize(bytes, isUsableText(separator) ? std::string_view(separator) : std::string_view(","));
}

std::string FormatFileSize(std::int64_t bytes, std::string_view separator)
{
    // The magnitude as unsigned, so the most negative value works too.
    const std::uint64_t magnitude =
        bytes < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    const std::string digits = std::to_string(magnitude);
    std::string out;
    if (bytes < 0)
        out += '-';
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

std::string AudioFormatName(std::uint16_t formatTag)
{
    struct Entry {
        std::uint16_t tag;
        const char *name;
    };
    static constexpr Entry kNames[] = {
        {0x0001, "PCM"},
        {0x0002, "ADPCM"},
        {0x0003, "IEEE_FLOAT"},
        {0x0005, "IBM_CVSD"},
        {0x0006, "ALAW"},
        {0x0007, "MULAW"},
        {0x0010, "OKI_ADPCM"},
        {0x0011, "DVI_ADPCM"},
        {0x0012, "MEDIASPACE_ADPCM"},
        {0x0013, "SIERRA_ADPCM"},
        {0x0014, "G723_ADPCM"},
        {0x0015, "DIGISTD"},
        {0x0016, "DIGIFIX"},
        {0x0017, "DIALOGIC_OKI_ADPCM"},
        {0x0018, "MEDIAVISION_ADPCM"},
        {0x0020, "YAMAHA_ADPCM"},
        {0x0021, "SONARC"},
        {0x0022, "DSPGROUP_TRUESPEECH"},
        {0x0023, "ECHOSC1"},
        {0x0024, "AUDIOFILE_AF36"},
        {0x0025, "APTX"},
        {0x0026, "AUDIOFILE_AF10"},
        {0x0030, "DOLBY_AC2"},
        {0x0031, "GSM610"},
        {0x0032, "MSNAUDIO"},
        {0x0033, "ANTEX_ADPCME"},
        {0x0034, "CONTROL_RES_VQLPC"},
        {0x0035, "DIGIREAL"},
        {0x0036, "DIGIADPCM"},
        {0x0037, "CONTROL_RES_CR10"},
        {0x0038, "NMS_VBXADPCM"},
        {0x0039, "CS_IMAADPCM"},
        {0x003A, "ECHOSC3"},
        {0x003B, "ROCKWELL_ADPCM"},
        {0x003C, "ROCKWELL_DIGITALK"},
        {0x003D, "XEBEC"},
        {0x0040, "G721_ADPCM"},
        {0x0041, "G728_CELP"},
        {0x0050, "MPEG"},
        {0x0055, "MP3"},
        {0x0060, "CIRRUS"},
        {0x0061, "ESPCM"},
        {0x0062, "VOXWARE"},
        {0x0063, "CANOPUS_ATRAC"},
        {0x0064, "G726_ADPCM"},
        {0x0065, "G722_ADPCM"},
        {0x0066, "DSAT"},
        {0x0067, "DSAT_DISPLAY"},
        {0x0075, "VOXWARE"},
        {0x0080, "SOFTSOUND"},
        {0x0100, "RHETOREX_ADPCM"},
        {0x0200, "CREATIVE_ADPCM"},
        {0x0202, "CREATIVE_FASTSPEECH8"},
        {0x0203, "CREATIVE_FASTSPEECH10"},
        {0x0220, "QUARTERDECK"},
        {0x0300, "FM_TOWNS_SND"},
        {0x0400, "BTV_DIGITAL"},
        {0x1000, "OLIGSM"},
        {0x1001, "OLIADPCM"},
        {0x1002, "OLICELP"},
        {0x1003, "OLISBC"},
        {0x1004, "OLIOPR"},
        {0x1100, "LH_CODEC"},
        {0x1400, "NORRIS"},
    };
    static_assert(std::size(kNames) == 64);
    for (const Entry &entry : kNames) {
        if (entry.tag == formatTag)
            return entry.name;
    }
    return "Unknown";
}

} // namespace camlog::core
