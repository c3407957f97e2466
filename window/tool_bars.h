// The window's five tool bars, built from their layouts; each keeps its entry of the "Tool bars"
// menu checked while it is shown.
#pragma once

#include <QObject>

#include <string_view>

class QToolBar;
class QWidget;

namespace camlog::widgets {

class ActionBinding;

class ToolBars : public QObject {
    Q_OBJECT
public:
    // The bars are owned by parent (the window places them); object names "tbOuvrir", …
    ToolBars(ActionBinding &binding, QWidget *parent);

    // In layout order: tbOuvrir, tbVideo, tbInterface, tbScenes, tbListe.
    const QList<QToolBar *> &bars() const { return m_bars; }
    QToolBar *bar(std::string_view name) const;

private:
    ActionBinding &m_binding;
    QList<QToolBar *> m_bars;
};

} // namespace camlog::widgets
