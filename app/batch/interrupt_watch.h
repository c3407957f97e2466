// Ctrl+C (SIGINT), SIGTERM and SIGHUP during a batch run: the first stops the run in order, a
// second ends the program at once, removing the temporary files of the writes in progress.
#pragma once

#include <functional>
#include <thread>

namespace camlog::app {

// Blocks the signals in the calling thread, so every thread it starts afterwards inherits the
// block, and waits for them on a thread of its own. Create it on the main thread before any other
// thread exists.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch() { stop(); }
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

    // Called on the watching thread at the first signal; must only hand the work over. Set it
    // before the first signal can matter; later changes are not seen.
    void start(std::function<void()> onInterrupt);
    // Stops the watching thread; the signals stay blocked (the program is ending).
    void stop();

private:
    std::function<void()> m_onInterrupt;
    std::thread m_thread;
};

} // namespace camlog::app
