// The preference-saving dialog `TSavePrefsForm`, asked at quit when the settings are stored nowhere:
// "Normal", "Portable" or "None"; closing it without a choice cancels the quit.
#pragma once

#include "prefs/preference_store.h"

#include <QDialog>

#include <optional>

namespace camlog::widgets {

class TSavePrefsForm : public QDialog {
    Q_OBJECT
public:
    explicit TSavePrefsForm(QWidget *parent = nullptr);

    // The mode of the button pressed; none when the dialog was closed without one.
    std::optional<prefs::PreferenceMode> choice() const { return m_choice; }
    // Shows the dialog modally and returns the choice.
    std::optional<prefs::PreferenceMode> ask();

private:
    std::optional<prefs::PreferenceMode> m_choice;
};

} // namespace camlog::widgets
