// The status bar.
#include "window/status_panel.h"

#include <QLabel>
#include <QTimer>

namespace camlog::widgets {

StatusPanel::StatusPanel(QWidget *parent) : QStatusBar(parent)
{
    setObjectName("StatusBar1");
    setFixedHeight(kHeight);
    setSizeGripEnabled(false);
    m_panel = new QLabel(this);
    m_panel->setObjectName("StatusPanel");
    m_panel->setAlignment(Qt::AlignCenter);
    m_panel->setAutoFillBackground(true);
    addWidget(m_panel, 1);
    refresh();
}

void StatusPanel::setCommandMessage(const QString &text)
{
    m_command = text;
    m_note.clear();
    refresh();
    // The worker waits while this runs: paint now so the message is seen during long steps.
    m_panel->repaint();
}

void StatusPanel::setOpenMessage(const QString &text)
{
    m_open = text;
    m_note.clear();
    refresh();
}

void StatusPanel::showNote(const QString &text, int forMs)
{
    m_note = text;
    const int number = ++m_noteNumber;
    refresh();
    if (forMs > 0)
        QTimer::singleShot(forMs, this, [this, number] {
            if (number == m_noteNumber) {
                m_note.clear();
                refresh();
            }
        });
}

QString StatusPanel::text() const
{
    return m_panel->text();
}

QColor StatusPanel::colour() const
{
    return m_panel->palette().color(QPalette::Window);
}

void StatusPanel::refresh()
{
    QString text = "Ready";
    QColor colour = palette().color(QPalette::Button);
    if (!m_command.isEmpty()) {
        text = m_command;
        colour = kMoneyGreen;
    } else if (!m_open.isEmpty()) {
        text = m_open;
        colour = kSkyBlue;
    } else if (!m_note.isEmpty()) {
        text = m_note;
    }
    m_panel->setText(text);
    QPalette panelPalette = m_panel->palette();
    panelPalette.setColor(QPalette::Window, colour);
    m_panel->setPalette(panelPalette);
}

} // namespace camlog::widgets
