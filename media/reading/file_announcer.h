// Announcing files about to be read on a thread of its own.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace camlog::media {

// Announces the first and last bytes of files about to be opened one by one (the files of a
// folder being probed) to the kernel, on a thread of its own: asking the page cache about
// files already in memory costs an open and a walk over their pages, which the thread that
// opens them should not pay. Paths are announced in the order given; the thread starts with
// the first announcement and ends with the object, dropping what it has not announced yet.
class FileAnnouncer {
public:
    FileAnnouncer(std::uint64_t headBytes, std::uint64_t tailBytes);
    ~FileAnnouncer();
    FileAnnouncer(const FileAnnouncer &) = delete;
    FileAnnouncer &operator=(const FileAnnouncer &) = delete;

    // Returns at once; safe from any thread.
    void announce(const std::vector<std::string> &paths);

private:
    void run();

    const std::uint64_t m_headBytes;
    const std::uint64_t m_tailBytes;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::string> m_queue;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace camlog::media
