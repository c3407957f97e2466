// The date-time pattern language on any pattern and any date-time value, and the locale
// formats it takes from strftime formats.
#include "core/date_time.h"
#include "core/format.h"

#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog::core;
    if (size < sizeof(double))
        return 0;
    double days = 0;
    std::memcpy(&days, data, sizeof days);
    const std::string_view text(reinterpret_cast<const char *>(data) + sizeof days, size - sizeof days);
    DateTimeLocale locale = DateTimeLocale::fallback();
    (void)FormatDateTimePattern(text, DateTime::fromDays(days), locale);
    // The same text read as three strftime formats, then used through the pattern language.
    const auto third = text.size() / 3;
    locale.applyStrftimeFormats(text.substr(0, third), text.substr(third, third), text.substr(2 * third));
    (void)FormatDateTimePattern("ddddd tt c", DateTime::fromDays(days), locale);
    return 0;
}
