// The file dialogs of the actions' preparation steps: open files, open a folder, launch a script,
// open and save a playlist. Each answer goes into the action parameter list; a cancelled dialog
// cancels the action without a word.
#pragma once

#include "prefs/settings.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QFileDialog;
class QWidget;

namespace camlog::ui {
class ActionList;
}

namespace camlog::widgets {

class PreparationDialogs {
public:
    // The dialogs start in the settings' folders ("Folder to open files", "Dossier des PlayList");
    // choosing a folder to open remembers it in "Folder to open files".
    PreparationDialogs(prefs::Settings &settings, QWidget *parent);

    // Off: Qt's own dialogs, which the program (and a test) can drive; on by default.
    void setNativeDialogs(bool native) { m_native = native; }

    std::optional<std::vector<std::string>> openFiles() const;
    std::optional<std::string> openFolder();
    std::optional<std::string> launchScript() const;
    std::optional<std::string> openPlaylist() const;
    std::optional<std::string> savePlaylist() const;
    // "Save the detailed list": a text file, proposed in "Dossier des PlayList".
    std::optional<std::string> saveDetailedList() const;

    // Sets the preparation steps of "Open...", "Open a folder...", "Launch a script", "Open a
    // playlist...", "Save the list as..." and "Save the detailed list". The dialogs object must outlive the actions' use.
    void install(ui::ActionList &actions);

    // Filters in the dialogs' own form ("description (patterns)"); the accepted files are the
    // ".avi" ones whatever the case of the extension.
    static QString videoFilter();
    static QString scriptFilter();
    static QString playlistFilter();

private:
    void prepare(QFileDialog &dialog, const QString &objectName, const std::string &folder) const;

    prefs::Settings &m_settings;
    QWidget *m_parent;
    bool m_native = true;
};

} // namespace camlog::widgets
