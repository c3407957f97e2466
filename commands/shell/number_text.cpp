// Forgiving number conversions over std::from_chars and QLocale.
#include "commands/shell/number_text.h"

#include <QLocale>
#include <QString>

#include <charconv>
#include <cmath>

namespace camlog::commands {
namespace {

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

} // namespace

int StrToIntOr0(std::string_view text)
{
    std::string_view digits = trimmed(text);
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1); // from_chars takes "-" but not "+"
        if (!digits.empty() && digits.front() == '-')
            return 0;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return 0;
    return value;
}

double StrToFloatOr0(std::string_view text, const QLocale &locale)
{
    const std::string_view number = trimmed(text);
    if (number.empty())
        return 0;
    QLocale strict = locale;
    strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(QString::fromUtf8(number.data(), static_cast<qsizetype>(number.size())), &ok);
    return ok && std::isfinite(value) ? value : 0;
}

double StrToFloatOr0(std::string_view text)
{
    return StrToFloatOr0(text, QLocale::system());
}

} // namespace camlog::commands
