// A list dispatcher for an owner thread without a window loop (the batch mode, the tests): a queue
// the owner waits on.
#pragma once

#include "headless/list/file_list_model.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace camlog::ui {

class QueueDispatcher : public ListDispatcher {
public:
    void runOnOwnerThread(std::function<void()> task) override;

    // Runs the tasks queued so far; returns how many ran. Owner thread.
    int runPending();
    // Waits (without polling) until done() is true, running each task as it comes; false when
    // the timeout passed first. done is checked on the owner thread after each batch.
    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
};

} // namespace camlog::ui
