// The batch mode's interrupt: signals taken by sigwait on a thread, never by a handler, so the
// reaction may use locks and queues.
#include "app/batch/interrupt_watch.h"

#include "core/temporary_files.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <pthread.h>

namespace camlog::app {

namespace {

// A hang-up (the terminal closed) ends the run as SIGTERM does. SIGUSR1 only wakes the
// watching thread when the run is over.
sigset_t WatchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGUSR1);
    return set;
}

} // namespace

InterruptWatch::InterruptWatch()
{
    const sigset_t set = WatchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void InterruptWatch::start(std::function<void()> onInterrupt)
{
    m_onInterrupt = std::move(onInterrupt);
    m_thread = std::thread([this] {
        const sigset_t set = WatchedSignals();
        bool interrupted = false;
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0 || signal == SIGUSR1)
                return;
            if (interrupted) {
                // Files are written under temporary names, so a second interrupt loses nothing
                // that was complete; the temporary files of the writes in progress go with it.
                core::RemoveRegisteredTemporaries();
                std::fputs("\ncamlog: interrupted again, quitting now\n", stderr);
                std::_Exit(130);
            }
            interrupted = true;
            if (m_onInterrupt)
                m_onInterrupt();
        }
    });
}

void InterruptWatch::stop()
{
    if (m_thread.joinable()) {
        pthread_kill(m_thread.native_handle(), SIGUSR1);
        m_thread.join();
    }
}

} // namespace camlog::app
