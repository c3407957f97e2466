// The time difference of a file: its text, the file-name ending of a shifted copy, and the
// difference a run carries from file to file.
#include "commands/time_difference.h"

#include "commands/decimal_text.h"
#include "core/avi_fichier.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace camlog::commands {

namespace {
std::int64_t wholeSeconds(double days)
{
    // Far beyond any datecode, and still far inside the 64-bit range.
    constexpr double kLimit = 1.0e9;
    if (!std::isfinite(days))
        return 0;
    return std::llround(std::clamp(days, -kLimit, kLimit) * 86400.0);
}
} // namespace

std::optional<double> ParseTimeDifference(std::string_view text)
{
    const std::optional<double> days = ParseDecimal(text);
    if (!days || !(std::fabs(*days) < kDatecodeSpanDays))
        return std::nullopt;
    return days;
}

std::string TimeDifferenceProblem(std::string_view text)
{
    if (text.find_first_not_of(" \t") == std::string_view::npos)
        return "No time difference given (in days, for instance 0.5 or -1)";
    const std::string quoted = "\"" + std::string(text) + "\"";
    const std::optional<double> days = ParseDecimal(text);
    if (!days)
        return "The time difference " + quoted + " is not a number of days";
    if (!(std::fabs(*days) < kDatecodeSpanDays))
        return "The time difference " + quoted + " is larger than a datecode can take (less than "
               + std::to_string(static_cast<int>(kDatecodeSpanDays)) + " days)";
    return {};
}

double RoundedTimeDifference(double days)
{
    return static_cast<double>(wholeSeconds(days)) / 86400.0;
}

std::string TimeDifferenceText(double days)
{
    const std::int64_t s = wholeSeconds(days);
    const std::int64_t d = s / 86400;
    const std::int64_t hours = (s / 3600) % 24;
    const std::int64_t minutes = (s / 60) % 60;
    const std::int64_t seconds = s % 60;
    char text[96];
    if (d != 0 || minutes != 0 || seconds != 0)
        std::snprintf(text, sizeof text, "%lld days %.2lldh %.2lldm %.2llds", static_cast<long long>(d),
                      static_cast<long long>(hours), static_cast<long long>(minutes), static_cast<long long>(seconds));
    else
        std::snprintf(text, sizeof text, "%lld hours", static_cast<long long>(hours));
    return text;
}

std::string TimeDifferenceEnding(double days)
{
    const std::int64_t s = std::llabs(wholeSeconds(days));
    std::string parts;
    if (const std::int64_t d = s / 86400; d > 0)
        parts += std::to_string(d) + "days";
    if (const std::int64_t h = (s / 3600) % 24; h != 0)
        parts += std::to_string(h) + "h";
    if (const std::int64_t m = (s / 60) % 60; m != 0)
        parts += std::to_string(m) + "mn";
    if (const std::int64_t sec = s % 60; sec != 0)
        parts += std::to_string(sec) + "s";
    return std::string("_(") + (days >= 0 ? "+" : "-") + parts + ").avi";
}

void TRunTimeDifference::StartFichier(const core::TaviFichier *fichier)
{
    m_days = fichier != nullptr ? fichier->Shift.days() : 0.0;
}

void TRunTimeDifference::EndFichier(core::TaviFichier *fichier) const
{
    if (fichier == nullptr)
        return;
    fichier->Shift = core::DateTime::fromDays(m_days);
    fichier->ShiftText = TimeDifferenceText(m_days);
}

void TRunTimeDifference::Set(double days)
{
    m_days = RoundedTimeDifference(days);
}

} // namespace camlog::commands
