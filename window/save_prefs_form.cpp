// The preference-saving dialog.
#include "window/save_prefs_form.h"

#include "window/link_edit.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace camlog::widgets {

TSavePrefsForm::TSavePrefsForm(QWidget *parent) : QDialog(parent)
{
    setObjectName("SavePrefsForm");
    setWindowTitle("Saving the preferences of Camlog");
    auto *layout = new QVBoxLayout(this);
    auto *text = new TLinkEdit(this);
    text->setObjectName("Explanation");
    text->setRichText(
        "<br><size 10><i>Do you want to save your preferences and find them again on next start?<br><br>"
        "Click on your choice:</i><br><br>* either to save them in your settings file (normal mode).<br>* "
        "either to save them in an ini-file (portable mode).<br>* either not to save them. In the last "
        "case, all preferences will be lost, and the default values will be loaded on the next "
        "start.<br></size>");
    text->setMinimumHeight(200);
    layout->addWidget(text);
    auto *buttons = new QHBoxLayout;
    const std::pair<const char *, prefs::PreferenceMode> choices[] = {
        {"Normal", prefs::PreferenceMode::pmNormal},
        {"Portable", prefs::PreferenceMode::pmPortable},
        {"None", prefs::PreferenceMode::pmNone},
    };
    for (const auto &[caption, mode] : choices) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(caption);
        const prefs::PreferenceMode chosen = mode;
        connect(button, &QPushButton::clicked, this, [this, chosen] {
            m_choice = chosen;
            accept();
        });
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

std::optional<prefs::PreferenceMode> TSavePrefsForm::ask()
{
    m_choice.reset();
    exec();
    return m_choice;
}

} // namespace camlog::widgets
