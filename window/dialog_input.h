// What the small dialogs of the commands share: numbers read in the user's locale, the first
// field focused with its text selected, and a refusal said inside the dialog.
#pragma once

#include <QString>

#include <optional>

class QLabel;
class QLineEdit;

namespace camlog::widgets {

// A decimal number as the user types it: the locale's own form first (decimal comma included),
// then a dot or a comma with an optional sign; nothing when the text is not one finite number.
std::optional<double> ReadLocaleNumber(const QString &text);
// A whole number in the same way; nothing for a fraction or for text.
std::optional<long long> ReadLocaleInteger(const QString &text);
// The number in the locale's form, as short as it reads back ("29,97" in French).
QString LocaleNumberText(double value);

// Gives the edit the focus with its whole text selected, once the dialog is shown.
void FocusAndSelect(QLineEdit *edit);

// The word under a dialog's fields that says what is expected; empty hides it.
void ShowRefusal(QLabel *note, const QString &text);

} // namespace camlog::widgets
