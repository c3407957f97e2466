// Queued calls onto the owner's event loop.
#include "window/qt_list_dispatcher.h"

#include <QMetaObject>

namespace camlog::widgets {

void QtListDispatcher::runOnOwnerThread(std::function<void()> task)
{
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

} // namespace camlog::widgets
