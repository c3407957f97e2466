// Forgiving conversions of numbers typed by the user: any failure gives 0.
#pragma once

#include <string_view>

class QLocale;

namespace camlog::commands {

// A whole decimal number with an optional sign, spaces around it allowed ("12 " gives 12);
// anything else, or a value out of the int range, gives 0.
int StrToIntOr0(std::string_view text);

// A decimal number written with the user's decimal separator (system locale), spaces around it
// allowed; thousands separators, other separators, infinities and NaN give 0.
double StrToFloatOr0(std::string_view text);
double StrToFloatOr0(std::string_view text, const QLocale &locale);

} // namespace camlog::commands
