// Lengths of video as people say them in a sentence.
#pragma once

#include <cstdint>
#include <string>

namespace camlog::core {

// A length in 100-ns units, in whole seconds: "6 min 00 s", "1 h 02 min 03 s", "39 s"; the part
// below a second is dropped, a negative length counts as 0.
std::string FormatMinutesSeconds(std::int64_t duration);

} // namespace camlog::core
