// What the small dialogs of the commands share.
#include "window/dialog_input.h"

#include "commands/decimal_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>

#include <cmath>

namespace camlog::widgets {

namespace {
// Without group separators: "1,5" is never read as fifteen.
QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}
} // namespace

std::optional<double> ReadLocaleNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = numberLocale().toDouble(trimmed, &ok);
    if (ok && std::isfinite(value))
        return value;
    return commands::ParseDecimal(trimmed.toStdString());
}

std::optional<long long> ReadLocaleInteger(const QString &text)
{
    const std::optional<double> value = ReadLocaleNumber(text);
    if (!value || *value != std::trunc(*value) || std::fabs(*value) > 1e15)
        return std::nullopt;
    return static_cast<long long>(*value);
}

QString LocaleNumberText(double value)
{
    return numberLocale().toString(value, 'g', QLocale::FloatingPointShortest);
}

void FocusAndSelect(QLineEdit *edit)
{
    // At once, so that the field is focused and selected however early the dialog is shown and
    // typed into, and once more after the dialog's own showing, which may move the focus.
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    QTimer::singleShot(0, edit, [edit] {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    });
}

void ShowRefusal(QLabel *note, const QString &text)
{
    note->setText(text);
    note->setVisible(!text.isEmpty());
}

} // namespace camlog::widgets
