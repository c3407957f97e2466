// The action table of `camlog --help`, built from the catalogue.
#pragma once

#include <string>

namespace camlog::ui {

// A short note on the call syntax, then one line per action in catalogue order: token,
// switch, keys and caption (both captions of a toggle). "-" marks a missing value; a switch
// in parentheses is shared with an earlier action, which is the one it calls.
std::string ActionHelpText();

} // namespace camlog::ui
