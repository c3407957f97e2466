// A small blocking queue between the threads of a pipeline: producers wait while it is full,
// consumers while it is empty, and either side can end the traffic.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace camlog::media {

// close(): no more items come; consumers still take what is queued, then get nothing.
// abort(): everything waiting wakes up at once; pushes are refused and pops give nothing.
template <typename T> class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t capacity) : m_capacity(capacity) {}

    // False when the queue was aborted or closed (the item is dropped).
    bool push(T item)
    {
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [&] { return m_items.size() < m_capacity || m_closed || m_aborted; });
        if (m_closed || m_aborted)
            return false;
        m_items.push_back(std::move(item));
        m_notEmpty.notify_one();
        return true;
    }

    // Waits for an item; nothing once the queue is closed and drained, or aborted.
    std::optional<T> pop()
    {
        std::unique_lock lock(m_mutex);
        m_notEmpty.wait(lock, [&] { return !m_items.empty() || m_closed || m_aborted; });
        return takeFront();
    }

    // An item if one is queued now, without waiting.
    std::optional<T> tryPop()
    {
        std::lock_guard lock(m_mutex);
        return takeFront();
    }

    // True when the queue is closed and every item has been taken (or it was aborted).
    bool finished() const
    {
        std::lock_guard lock(m_mutex);
        return m_aborted || (m_closed && m_items.empty());
    }

    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_notEmpty.notify_all();
        m_notFull.notify_all();
    }

    void abort()
    {
        std::lock_guard lock(m_mutex);
        m_aborted = true;
        m_items.clear();
        m_notEmpty.notify_all();
        m_notFull.notify_all();
    }

private:
    std::optional<T> takeFront()
    {
        if (m_aborted || m_items.empty())
            return std::nullopt;
        std::optional<T> item(std::move(m_items.front()));
        m_items.pop_front();
        m_notFull.notify_one();
        return item;
    }

    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_notFull;
    std::condition_variable m_notEmpty;
    std::deque<T> m_items;
    bool m_closed = false;
    bool m_aborted = false;
};

} // namespace camlog::media
