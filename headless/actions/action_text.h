// Small text helpers shared by the command-line and script readers.
#pragma once

#include <string>
#include <string_view>

namespace camlog::ui {

// Lower-cases the ASCII letters only; other bytes of UTF-8 text are kept as they are.
std::string AsciiLower(std::string_view text);

// Removes blanks and control characters (every byte up to 0x20) from both ends.
std::string_view TrimBlanks(std::string_view text);

// The text without any double-quote character.
std::string RemoveDoubleQuotes(std::string_view text);

} // namespace camlog::ui
