// Decimal numbers as parameters carry them.
#include "commands/decimal_text.h"

#include <charconv>
#include <cmath>

namespace camlog::commands {

std::optional<double> ParseDecimal(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::string number(text);
    for (char &c : number)
        if (c == ',')
            c = '.';
    if (!number.empty() && number.front() == '+')
        number.erase(0, 1);
    if (number.empty())
        return std::nullopt;
    double value = 0.0;
    const char *end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string GeneralDecimal(double value)
{
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

} // namespace camlog::commands
