// The full-screen backdrop.
#include "window/plaque.h"

#include "window/preview_picture_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

namespace camlog::widgets {

Tplaque::Tplaque(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName("plaque");
    setWindowTitle("Fullscreen");
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    m_view = new PreviewPictureView(this);
    m_view->setObjectName("FullScreenVideo");
}

void Tplaque::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
}

void Tplaque::forward(QKeyEvent *event)
{
    if (!m_target) {
        event->ignore();
        return;
    }
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                   static_cast<ushort>(event->count()));
    QApplication::sendEvent(m_target, &copy);
}

void Tplaque::keyPressEvent(QKeyEvent *event)
{
    forward(event);
}

void Tplaque::keyReleaseEvent(QKeyEvent *event)
{
    forward(event);
}

void Tplaque::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
}

} // namespace camlog::widgets
