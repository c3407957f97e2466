// The interval dialog.
#include "window/intervalle_form.h"

#include "window/dialog_input.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace camlog::widgets {

TIntervalleForm::TIntervalleForm(QWidget *parent) : QDialog(parent)
{
    setObjectName("IntervalleForm");
    setWindowTitle("Split in scenes");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        "To create a scn file by cutting the video \nat regular intervals, indicate the duration in seconds:", this));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("edIntervalle");
    layout->addWidget(m_edit);
    m_note = new QLabel(this);
    m_note->setObjectName("Refusal");
    m_note->setStyleSheet("QLabel { color: rgb(128, 0, 0); }");
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(m_note);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *apply = new QPushButton("Apply", this);
    apply->setObjectName("Apply");
    apply->setDefault(true);
    auto *abort = new QPushButton("Abort", this);
    abort->setObjectName("Abort");
    abort->setAutoDefault(false);
    buttons->addWidget(apply);
    buttons->addWidget(abort);
    layout->addLayout(buttons);
    connect(apply, &QPushButton::clicked, this, &TIntervalleForm::applyClicked);
    connect(abort, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<int> TIntervalleForm::typedSeconds() const
{
    const std::optional<long long> seconds = ReadLocaleInteger(m_edit->text());
    if (!seconds || *seconds <= 0 || *seconds > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*seconds);
}

void TIntervalleForm::applyClicked()
{
    if (!typedSeconds()) {
        ShowRefusal(m_note, "Type a whole number of seconds above 0, for instance 30.");
        FocusAndSelect(m_edit);
        return;
    }
    accept();
}

std::optional<int> TIntervalleForm::ask(int seconds)
{
    m_edit->setText(QString::number(seconds));
    ShowRefusal(m_note, {});
    FocusAndSelect(m_edit);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return typedSeconds();
}

} // namespace camlog::widgets
