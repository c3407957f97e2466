// The queue dispatcher: opening threads push, the owner thread waits and runs.
#include "headless/list/queue_dispatcher.h"

namespace camlog::ui {

void QueueDispatcher::runOnOwnerThread(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

int QueueDispatcher::runPending()
{
    std::deque<std::function<void()>> tasks;
    {
        const std::lock_guard lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (auto &task : tasks)
        task();
    return static_cast<int>(tasks.size());
}

bool QueueDispatcher::runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    runPending();
    while (!done()) {
        {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait_until(lock, deadline, [this] { return !m_tasks.empty(); }))
                return false;
        }
        runPending();
    }
    return true;
}

} // namespace camlog::ui
