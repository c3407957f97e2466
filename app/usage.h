// The usage text of `camlog --help`.
#pragma once

#include <string>

namespace camlog::app {

// The modes and options, then every action with its token, switch, keys and caption.
std::string UsageText();

// The first lines only, for a wrong command line.
std::string ShortUsageText();

} // namespace camlog::app
