// `TRiffForm`, the RIFF header report window: the report lines of one file, which "Save" writes
// to a .log or .txt file once the report is complete.
#pragma once

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace camlog::widgets {

class TRiffForm : public QWidget {
    Q_OBJECT
public:
    explicit TRiffForm(QWidget *parent = nullptr);

    // Shows the report of the file at path (not modal); "Save" is enabled when complete.
    void ShowReport(const std::string &path, const std::vector<std::string> &lines, bool complete);

    std::vector<std::string> lines() const;
    QPushButton *saveButton() const { return m_save; }
    // Off: Qt's own save dialog, which a test can drive; on by default.
    void setNativeDialogs(bool native) { m_native = native; }

    // The file the save dialog proposes: the report's file with the extension ".log".
    QString proposedLogName() const;
    // Writes the lines to target; false (and a box) when it could not be written.
    bool saveTo(const QString &target);

private:
    void saveClicked();

    QListWidget *m_list = nullptr;
    QPushButton *m_save = nullptr;
    std::string m_path;
    bool m_native = true;
};

} // namespace camlog::widgets
