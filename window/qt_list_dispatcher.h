// Hands the file list's work to the thread of a Qt event loop (the window's): each task becomes a
// queued call, run by the loop in the order the tasks came.
#pragma once

#include "headless/list/file_list_model.h"

#include <QObject>

namespace camlog::widgets {

class QtListDispatcher : public QObject, public ui::ListDispatcher {
    Q_OBJECT
public:
    // Lives on the thread that creates it (the list's owner thread).
    explicit QtListDispatcher(QObject *parent = nullptr) : QObject(parent) {}

    // Any thread; never waits.
    void runOnOwnerThread(std::function<void()> task) override;
};

} // namespace camlog::widgets
