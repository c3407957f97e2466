// Decimal numbers as parameters carry them: typed with the user's separator, or written by a script.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace camlog::commands {

// A decimal number with "." or "," as separator and an optional sign, blanks around it
// allowed; no value when the text is not one finite number.
std::optional<double> ParseDecimal(std::string_view text);

// The shortest decimal form that reads back the same value ("25", "29.97", "-0.5").
std::string GeneralDecimal(double value);

} // namespace camlog::commands
