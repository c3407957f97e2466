// The time difference of a file: its text, the file-name ending of a shifted copy, and the
// difference a run carries from file to file.
#pragma once

#include "core/date_time.h"

#include <optional>
#include <string>
#include <string_view>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

// A datecode's year has two digits (1925 to 2024): two datecodes are less than this many days
// apart, and no larger difference can move one datecode to another.
inline constexpr double kDatecodeSpanDays = 36525.0;

// The difference as typed or passed as a parameter, in days: a decimal number with "." or ","
// as separator, blanks around it allowed; no value when the text is not a number or the
// difference is not shorter than kDatecodeSpanDays either way.
std::optional<double> ParseTimeDifference(std::string_view text);

// Why the text cannot serve as a time difference; empty when it can.
std::string TimeDifferenceProblem(std::string_view text);

// The difference rounded to whole seconds, as days.
double RoundedTimeDifference(double days);

// "3 hours", or "1 days 02h 30m 00s" when days, minutes or seconds are not 0; the parts of a
// negative difference are negative.
std::string TimeDifferenceText(double days);

// The ending of a shifted copy: "_(+1days12h).avi", "_(-2h).avi", "_(+).avi".
std::string TimeDifferenceEnding(double days);

// The difference of the running command, carried into and out of each file object: at the
// start of a file it is the file's Shift; "Add a time difference" changes it; at the end of the
// file it becomes the file's Shift and ShiftText (also on a reloaded object).
class TRunTimeDifference {
public:
    void StartFichier(const core::TaviFichier *fichier);
    void EndFichier(core::TaviFichier *fichier) const;
    // Sets the current difference, rounded to whole seconds.
    void Set(double days);
    double Current() const { return m_days; }

private:
    double m_days = 0.0;
};

} // namespace camlog::commands
