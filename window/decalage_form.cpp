// The time-difference dialog.
#include "window/decalage_form.h"

#include "commands/time_difference.h"
#include "core/date_time.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace camlog::widgets {

namespace {

core::DateTimeFields fieldsOf(core::DateTime value)
{
    return value.fields().value_or(core::DateTimeFields{1899, 12, 30, 0, 0, 0, 0});
}

// The hour a date-time lies in, counted from day 0.
long long hourIndex(core::DateTime value)
{
    return static_cast<long long>(std::floor(value.days() * 24.0 + 1e-7));
}

QSpinBox *spin(QWidget *parent, const char *name, int low, int high)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    return box;
}

} // namespace

TDecalageForm::TDecalageForm(QWidget *parent) : QDialog(parent)
{
    setObjectName("DecalageForm");
    setWindowTitle("Fix a time difference");
    setWindowFlag(Qt::WindowStaysOnTopHint);

    m_result = new QLabel(this);
    m_result->setObjectName("LabResultat");
    m_result->setToolTip("Difference between fixed time and original time");
    m_result->setStyleSheet("QLabel { color: rgb(128, 0, 0); font-weight: bold; }");
    m_result->setAlignment(Qt::AlignCenter);

    m_simple = new QWidget(this);
    auto *simpleRow = new QHBoxLayout(m_simple);
    simpleRow->setContentsMargins(0, 0, 0, 0);
    m_hours = spin(m_simple, "rxHeureSolo", -23, 23);
    simpleRow->addStretch();
    simpleRow->addWidget(m_hours);
    simpleRow->addWidget(new QLabel("hours", m_simple));
    simpleRow->addStretch();

    m_newDate = new QGroupBox("New date", this);
    m_newDate->setObjectName("NewDate");
    m_newDate->setToolTip("Date and time of End of scheduled capture");
    auto *dateRow = new QHBoxLayout(m_newDate);
    m_date = new QDateEdit(m_newDate);
    m_date->setObjectName("DateEdit2");
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat("yyyy-MM-dd");
    m_hour = spin(m_newDate, "RxSpinEdit4", 0, 23);
    m_minute = spin(m_newDate, "RxSpinEdit5", 0, 59);
    m_second = spin(m_newDate, "RxSpinEdit6", 0, 59);
    dateRow->addWidget(m_date);
    dateRow->addWidget(m_hour);
    dateRow->addWidget(new QLabel(":", m_newDate));
    dateRow->addWidget(m_minute);
    dateRow->addWidget(new QLabel(":", m_newDate));
    dateRow->addWidget(m_second);
    m_newDate->hide();

    m_advanced = new QCheckBox("Advanced", this);
    m_advanced->setObjectName("cbAvance");
    auto *zero = new QPushButton("To zero", this);
    zero->setObjectName("bbZero");
    zero->setAutoDefault(false);
    auto *cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("bbCancel");
    cancel->setToolTip("Close this window without applying modifications");
    cancel->setAutoDefault(false);
    auto *ok = new QPushButton("Ok", this);
    ok->setObjectName("bbOK");
    ok->setToolTip("Apply the modifications and close the window");
    ok->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_advanced);
    buttons->addStretch();
    buttons->addWidget(zero);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_result);
    layout->addWidget(m_simple);
    layout->addWidget(m_newDate);
    layout->addLayout(buttons);

    connect(m_advanced, &QCheckBox::toggled, this, [this](bool on) { setAdvanced(on); });
    connect(zero, &QPushButton::clicked, this, [this] {
        m_new = m_recorded;
        fill();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QSpinBox *box : {m_hours, m_hour, m_minute, m_second})
        connect(box, &QSpinBox::valueChanged, this, [this] { controlChanged(); });
    connect(m_date, &QDateEdit::dateChanged, this, [this] { controlChanged(); });
}

int TDecalageForm::WholeHoursBetween(const core::DateTime &from, const core::DateTime &to)
{
    const long long hours = hourIndex(to) - hourIndex(from);
    return static_cast<int>(std::clamp(hours, -23LL, 23LL));
}

bool TDecalageForm::advanced() const
{
    return m_advanced->isChecked();
}

core::DateTime TDecalageForm::newDateTime() const
{
    return core::DateTime::fromDays(m_new);
}

QString TDecalageForm::differenceText() const
{
    return m_result->text();
}

void TDecalageForm::prepare(const core::DateTime &recorded, double shift)
{
    m_recorded = recorded.days();
    m_new = recorded.days() + shift;
    m_updating = true;
    m_advanced->setChecked(false);
    m_updating = false;
    setAdvanced(false);
    fill();
}

std::optional<double> TDecalageForm::ask(const core::DateTime &recorded, double shift)
{
    prepare(recorded, shift);
    QLineEdit *first = m_hours->findChild<QLineEdit *>();
    // At once and again after the showing: typing right away replaces the proposed hours.
    m_hours->setFocus(Qt::OtherFocusReason);
    if (first != nullptr)
        first->selectAll();
    QTimer::singleShot(0, this, [this, first] {
        m_hours->setFocus(Qt::OtherFocusReason);
        if (first != nullptr)
            first->selectAll();
    });
    const bool accepted = exec() == QDialog::Accepted;
    if (onTrialDifference)
        onTrialDifference(std::nullopt);
    if (!accepted)
        return std::nullopt;
    return m_difference;
}

void TDecalageForm::setAdvanced(bool on)
{
    m_simple->setVisible(!on);
    m_newDate->setVisible(on);
    // Switching the mode alone changes no difference: only a change of a field does.
    adjustSize();
}

// The fields show the new date-time; the difference is the exact one between the two dates, so
// a difference of 3 h 30 min stays so in the simple mode until its hours field is changed.
void TDecalageForm::fill()
{
    m_updating = true;
    const core::DateTimeFields fields = fieldsOf(core::DateTime::fromDays(m_new));
    m_hour->setValue(fields.hour);
    m_minute->setValue(fields.minute);
    m_second->setValue(fields.second);
    m_date->setDate(QDate(fields.year, fields.month, fields.day));
    m_hours->setValue(WholeHoursBetween(core::DateTime::fromDays(m_recorded), core::DateTime::fromDays(m_new)));
    m_difference = m_new - m_recorded;
    showDifference();
    m_updating = false;
}

void TDecalageForm::controlChanged()
{
    if (m_updating)
        return;
    if (m_advanced->isChecked()) {
        const QDate date = m_date->date();
        const core::DateTime day = core::DateTime::fromDate(date.year(), date.month(), date.day())
                                       .value_or(core::DateTime::fromDays(std::floor(m_recorded)));
        const double time = m_hour->value() / 24.0 + m_minute->value() / 1440.0 + m_second->value() / 86400.0;
        m_difference = day.days() + time - m_recorded;
    } else {
        m_difference = m_hours->value() / 24.0;
    }
    showDifference();
    m_new = m_recorded + m_difference;
    fill();
}

void TDecalageForm::showDifference()
{
    m_result->setText(QString::fromStdString(commands::TimeDifferenceText(m_difference)));
    m_difference = commands::RoundedTimeDifference(m_difference);
    if (onTrialDifference && isVisible())
        onTrialDifference(m_difference);
}

} // namespace camlog::widgets
