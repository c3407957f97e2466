// Announcing files about to be read on a thread of its own.
#include "media/reading/file_announcer.h"

#include "media/reading/read_ahead.h"

namespace camlog::media {

FileAnnouncer::FileAnnouncer(std::uint64_t headBytes, std::uint64_t tailBytes)
    : m_headBytes(headBytes),
      m_tailBytes(tailBytes)
{
}

FileAnnouncer::~FileAnnouncer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void FileAnnouncer::announce(const std::vector<std::string> &paths)
{
    if (paths.empty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_queue.insert(m_queue.end(), paths.begin(), paths.end());
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void FileAnnouncer::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            return;
        std::vector<std::string> batch(m_queue.begin(), m_queue.end());
        m_queue.clear();
        lock.unlock();
        AnnounceFileStarts(batch, m_headBytes, m_tailBytes);
        lock.lock();
    }
}

} // namespace camlog::media
