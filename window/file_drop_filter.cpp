// Drops of local files on a widget, through an event filter.
#include "window/file_drop_filter.h"

#include "window/file_urls.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

namespace camlog::widgets {

FileDropFilter::FileDropFilter(QWidget *widget, DropHandler handler) : QObject(widget), m_handler(std::move(handler)) {}

FileDropFilter *FileDropFilter::install(QWidget *widget, DropHandler handler)
{
    auto *filter = new FileDropFilter(widget, std::move(handler));
    widget->setAcceptDrops(true);
    widget->installEventFilter(filter);
    return filter;
}

bool FileDropFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!HoldsLocalFiles(drag->mimeData()))
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        std::vector<std::string> paths = LocalFilePaths(drop->mimeData());
        if (paths.empty())
            return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (m_handler)
            m_handler(std::move(paths));
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace camlog::widgets
