// The status bar `StatusBar1`: one centred panel showing the command message on money green, else
// the list-loading message on sky blue, else "Ready".
#pragma once

#include <QStatusBar>

class QLabel;

namespace camlog::widgets {

class StatusPanel : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kHeight = 26;
    static inline const QColor kMoneyGreen{192, 220, 192};
    static inline const QColor kSkyBlue{166, 202, 240};

    explicit StatusPanel(QWidget *parent = nullptr);

    // The current command message (empty forgets it).
    void setCommandMessage(const QString &text);
    // The list-loading message (empty clears it).
    void setOpenMessage(const QString &text);
    // A note that is no command and no loading (an action whose panel does not exist yet): shown
    // until the next message, on the normal colour; with forMs above 0, at most that long.
    void showNote(const QString &text, int forMs = 0);
    // How long the text of what a run did stays before "Ready".
    static constexpr int kRunEndNoteMs = 10000;

    QString text() const;
    QColor colour() const;
    bool showsCommandMessage() const { return !m_command.isEmpty(); }

private:
    void refresh();

    QLabel *m_panel;
    QString m_command;
    QString m_open;
    QString m_note;
    int m_noteNumber = 0; // tells a timed note's end from a later note's
};

} // namespace camlog::widgets
