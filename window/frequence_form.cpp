// The frame-rate dialog.
#include "window/frequence_form.h"

#include "commands/codec_commands.h"
#include "commands/decimal_text.h"
#include "window/dialog_input.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace camlog::widgets {

TFrequenceForm::TFrequenceForm(QWidget *parent) : QDialog(parent)
{
    setObjectName("FrequenceForm");
    setWindowTitle("Fix the video framerate");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Indicate the new framerate in frames/sec.", this));
    layout->addWidget(new QLabel("The audio frequency will remain unchanged.", this));
    auto *box = new QGroupBox(this);
    box->setObjectName("rgFreq");
    auto *items = new QVBoxLayout(box);
    m_group = new QButtonGroup(this);
    const char *captions[] = {"25 frames/sec (Pal)", "29.97 frames/sec (NTSC)", "personalized"};
    for (int i = 0; i < 3; ++i) {
        auto *radio = new QRadioButton(captions[i], box);
        m_group->addButton(radio, i);
        items->addWidget(radio);
    }
    m_edit = new QLineEdit(box);
    m_edit->setObjectName("le");
    m_edit->setPlaceholderText("Personalized frequency");
    m_edit->setToolTip("Personalized frequency");
    m_edit->setEnabled(false);
    auto *editRow = new QHBoxLayout;
    editRow->addWidget(m_edit);
    editRow->addWidget(new QLabel("frames/sec", box));
    items->addLayout(editRow);
    layout->addWidget(box);
    m_note = new QLabel(this);
    m_note->setObjectName("Refusal");
    m_note->setStyleSheet("QLabel { color: rgb(128, 0, 0); }");
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(m_note);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setToolTip("Apply the new framerate.");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFrequenceForm::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (id == Personalized) {
            m_edit->setEnabled(on);
            if (on)
                FocusAndSelect(m_edit);
        }
        ShowRefusal(m_note, {});
    });
}

int TFrequenceForm::item() const
{
    return m_group->checkedId();
}

void TFrequenceForm::setItem(int item)
{
    if (QAbstractButton *button = m_group->button(item))
        button->setChecked(true);
}

void TFrequenceForm::preselect(double activeFrameRate)
{
    ShowRefusal(m_note, {});
    if (m_used || !(activeFrameRate > 0.0))
        return;
    m_used = true;
    if (activeFrameRate == 25.0) {
        setItem(Pal);
    } else if (std::fabs(activeFrameRate * 1001.0 - 30000.0) < 1.0) {
        setItem(Ntsc);
    } else {
        if (m_edit->text().isEmpty())
            m_edit->setText(LocaleNumberText(activeFrameRate));
        setItem(Personalized);
    }
}

std::optional<double> TFrequenceForm::chosenRate() const
{
    switch (item()) {
    case Pal:
        return 25.0;
    case Ntsc:
        return 29.97;
    case Personalized:
        if (const std::optional<double> typed = ReadLocaleNumber(m_edit->text()))
            return commands::FrameRateParameter(commands::GeneralDecimal(*typed));
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

void TFrequenceForm::okClicked()
{
    if (item() < 0) {
        ShowRefusal(m_note, "Choose a framerate.");
        return;
    }
    if (!chosenRate()) {
        ShowRefusal(m_note,
                    "Type a number of frames per second above 0, for instance " + LocaleNumberText(29.97) + ".");
        FocusAndSelect(m_edit);
        return;
    }
    accept();
}

std::optional<double> TFrequenceForm::ask(double activeFrameRate)
{
    preselect(activeFrameRate);
    if (item() == Personalized)
        FocusAndSelect(m_edit);
    else if (QAbstractButton *button = m_group->checkedButton())
        button->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    m_used = true;
    return chosenRate();
}

} // namespace camlog::widgets
