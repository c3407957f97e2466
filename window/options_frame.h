// The settings panel `TOptionsFrame`, shown in place of the video and lists: five tabs whose
// controls each write their setting at once, the storage mode with its rules, live examples of
// the file-name formats, and the buttons that save or delete the preferences.
#pragma once

#include "prefs/preference_store.h"
#include "prefs/prefs_environment.h"
#include "prefs/settings.h"

#include <QFrame>

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace camlog::widgets {

class TOptionsFrame : public QFrame {
    Q_OBJECT
public:
    // env: where the stores live (a storage-mode change deletes the other store's file).
    explicit TOptionsFrame(const prefs::PrefsEnvironment &env, QWidget *parent = nullptr);

    // Fills every control from the settings, the storage-mode choice showing the mode in force;
    // nothing is deleted, created or written by filling.
    void fill(const prefs::Settings &settings, prefs::PreferenceMode mode);
    // The user's choice of storage mode (also the quit question's): the mode changes with the
    // deletions of the store left, and the rules on the other controls apply.
    void chooseMode(prefs::PreferenceMode mode);
    prefs::PreferenceMode chosenMode() const;

    // The examples are computed at this local time, in days (the clock by default).
    void setClock(std::function<double()> clockDays) { m_clock = std::move(clockDays); }
    // Off: Qt's own folder and file dialogs, which tests can drive.
    void setNativeDialogs(bool native) { m_native = native; }
    // Asked "Do you really want to delete..." (true = Yes); a question box by default.
    std::function<bool(const QString &question)> confirmDeletion;
    // Shown the report after a deletion; an information box by default.
    std::function<void(const QString &report)> showReport;

    // ---- What the window adds -------------------------------------------------------------
    std::function<void()> onClose;   // "Close"
    std::function<void()> onSaveNow; // "Save the preferences now"
    std::function<void(bool)> onSelectWhenOpening;
    std::function<void(const std::string &pattern)> onDisplayFormat;
    std::function<void(const std::string &folder)> onPreferredFolder;
    std::function<void(const std::string &folder)> onPlaylistFolder;
    // "Fichier F3" (3) or "Fichier F4" (4) was chosen.
    std::function<void(int key, const std::string &program)> onProgramChosen;

    // ---- For the window's tests -----------------------------------------------------------------
    QTabWidget *tabs() const { return m_tabs; }
    QCheckBox *check(const char *name) const;
    QComboBox *combo(const char *name) const;
    QLineEdit *edit(const char *name) const;
    QLabel *example(const char *name) const;
    QPushButton *button(const char *name) const;
    QButtonGroup *group(const char *name) const;
    // Chooses a folder or program as its browse dialog would.
    void chooseFolder(const char *editName, const std::string &folder);
    void chooseProgram(const char *editName, const std::string &program);

private:
    QWidget *preferencesTab();
    QWidget *formatsTab();
    QWidget *foldersTab();
    QWidget *filesTab();
    QWidget *dvTab();
    QHBoxLayout *shareCopyRow(QWidget *page);
    QCheckBox *addCheck(QWidget *parent, const char *name, const char *caption, bool prefs::Settings::*member);
    QComboBox *addCombo(QWidget *parent, const char *name, std::initializer_list<const char *> items,
                        std::string prefs::Settings::*member);
    QButtonGroup *addRadios(QWidget *parent, const char *name, const char *caption,
                            std::initializer_list<const char *> items, std::int32_t prefs::Settings::*member);
    QWidget *pathRow(QWidget *parent, const char *name, std::string prefs::Settings::*member, bool folder);
    template <typename Change> void change(Change change);
    void applyModeRules(prefs::PreferenceMode mode, bool userChoice);
    void setSendTo(bool on);
    void defaultFormats();
    void showExamples();
    void showFolders();
    void browse(const char *editName, bool folder);
    void pathChosen(const char *editName, const std::string &path);

    prefs::PrefsEnvironment m_env;
    std::function<double()> m_clock;
    bool m_filling = false;
    bool m_native = true;
    QTabWidget *m_tabs = nullptr;
    QButtonGroup *m_mode = nullptr;
    // Each control's filling from the settings, in the order the controls were made.
    std::vector<std::function<void(const prefs::Settings &)>> m_fillers;
};

} // namespace camlog::widgets
