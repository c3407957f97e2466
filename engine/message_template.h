// Fills a command's start or error message template with a file name and a pass number.
#pragma once

#include <string>
#include <string_view>

namespace camlog::engine {

// "%s" takes text, "%d" takes passe, "%%" gives "%". Any other "%" sequence is copied as it
// stands, so a template typed wrongly in the catalogue shows as typed instead of failing the file.
std::string FormatCommandMessage(std::string_view tmpl, std::string_view text, int passe);

} // namespace camlog::engine
