// `TDecalageForm`, "Fix a time difference": the user types a difference in whole hours, or sets
// the corrected date and time of the first frame; the dialog shows the difference in words.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QWidget;

namespace camlog::core {
class DateTime;
}

namespace camlog::widgets {

class TDecalageForm : public QDialog {
    Q_OBJECT
public:
    explicit TDecalageForm(QWidget *parent = nullptr);

    // Fills the dialog: recorded is the first frame's datecode (or now), shift the file's time
    // difference in days. The dialog opens in its simple mode.
    void prepare(const core::DateTime &recorded, double shift);
    // prepare, then shown modally: the difference in days (whole seconds) on "Ok", nothing on
    // "Cancel", Escape or the close box.
    std::optional<double> ask(const core::DateTime &recorded, double shift);

    // Each difference (in days) the user's edits give while the dialog is open, and nothing when
    // it closes, whatever the answer: the preview shows the datecode corrected meanwhile.
    std::function<void(std::optional<double>)> onTrialDifference;

    double difference() const { return m_difference; }
    core::DateTime newDateTime() const;
    bool advanced() const;
    QString differenceText() const;

    // The whole hours from one date-time to another, each cut down to its hour, across days,
    // within -23..23 (22:40 to 01:10 the next day gives 3).
    static int WholeHoursBetween(const core::DateTime &from, const core::DateTime &to);

private:
    void fill();
    void controlChanged();
    void showDifference();
    void setAdvanced(bool on);

    // Date-time values in days.
    double m_recorded = 0.0;
    double m_new = 0.0;
    double m_difference = 0.0;
    bool m_updating = false;

    QLabel *m_result = nullptr;
    QWidget *m_simple = nullptr;
    QSpinBox *m_hours = nullptr;
    QGroupBox *m_newDate = nullptr;
    QDateEdit *m_date = nullptr;
    QSpinBox *m_hour = nullptr;
    QSpinBox *m_minute = nullptr;
    QSpinBox *m_second = nullptr;
    QCheckBox *m_advanced = nullptr;
};

} // namespace camlog::widgets
