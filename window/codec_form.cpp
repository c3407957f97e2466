// The codec dialog.
#include "window/codec_form.h"

#include "commands/codec_commands.h"
#include "window/dialog_input.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace camlog::widgets {

namespace {
constexpr const char *kCodes[] = {"dvsd", "dsvd", "CDVC"};

// A code a header can hold and a person can read back: printable ASCII only.
bool printableAscii(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}
} // namespace

TCodecForm::TCodecForm(QWidget *parent) : QDialog(parent)
{
    setObjectName("CodecForm");
    setWindowTitle("Change the video codec");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Indicate the new codec", this));
    auto *box = new QGroupBox(this);
    box->setObjectName("rgCodec");
    auto *items = new QVBoxLayout(box);
    m_group = new QButtonGroup(this);
    const char *captions[] = {"dvsd (Microsoft)", "dsvd", "CDVC (Canopus)", "personalized"};
    for (int i = 0; i < 4; ++i) {
        auto *radio = new QRadioButton(captions[i], box);
        m_group->addButton(radio, i);
        items->addWidget(radio);
    }
    m_edit = new QLineEdit(box);
    m_edit->setObjectName("le");
    m_edit->setPlaceholderText("Personalized codec");
    m_edit->setToolTip("Personalized codec");
    m_edit->setMaxLength(4);
    m_edit->setEnabled(false);
    auto *editRow = new QHBoxLayout;
    editRow->addWidget(m_edit);
    editRow->addWidget(new QLabel("(4 characters)", box));
    items->addLayout(editRow);
    layout->addWidget(box);
    m_note = new QLabel(this);
    m_note->setObjectName("Refusal");
    m_note->setStyleSheet("QLabel { color: rgb(128, 0, 0); }");
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(m_note);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setToolTip("Validate the change of codec.");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TCodecForm::okClicked);
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

int TCodecForm::item() const
{
    return m_group->checkedId();
}

void TCodecForm::setItem(int item)
{
    if (QAbstractButton *button = m_group->button(item))
        button->setChecked(true);
}

void TCodecForm::preselect(const std::string &activeCodec)
{
    ShowRefusal(m_note, {});
    if (m_used || activeCodec.empty())
        return;
    m_used = true;
    const QString code = QString::fromStdString(activeCodec).trimmed();
    for (int i = 0; i < 3; ++i) {
        if (code.compare(QLatin1String(kCodes[i]), Qt::CaseInsensitive) == 0) {
            setItem(i);
            return;
        }
    }
    m_edit->setText(code);
    setItem(Personalized);
}

std::optional<std::string> TCodecForm::chosenCode() const
{
    const int chosen = item();
    if (chosen >= 0 && chosen < Personalized)
        return std::string(kCodes[chosen]);
    if (chosen != Personalized)
        return std::nullopt;
    const QString typed = m_edit->text();
    if (typed.trimmed().isEmpty() || !printableAscii(typed))
        return std::nullopt;
    return commands::CodecParameter(typed.toStdString());
}

void TCodecForm::okClicked()
{
    if (item() < 0) {
        ShowRefusal(m_note, "Choose a codec.");
        return;
    }
    if (!chosenCode()) {
        ShowRefusal(m_note, "Type a codec of 1 to 4 letters or digits, for instance dvsd.");
        FocusAndSelect(m_edit);
        return;
    }
    accept();
}

std::optional<std::string> TCodecForm::ask(const std::string &activeCodec)
{
    preselect(activeCodec);
    if (item() == Personalized)
        FocusAndSelect(m_edit);
    else if (QAbstractButton *button = m_group->checkedButton())
        button->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    m_used = true;
    return chosenCode();
}

} // namespace camlog::widgets
