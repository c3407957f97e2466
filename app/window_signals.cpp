// SIGINT, SIGTERM and SIGHUP while the window is open, handed to the window's thread by a pipe.
#include "app/window_signals.h"

#include "core/temporary_files.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace camlog::app {

namespace {

int g_pipe[2] = {-1, -1};
std::atomic<bool> g_signalled{false};

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Async-signal-safe: an atomic exchange, write(), unlink() and _exit() only.
void handleSignal(int number)
{
    if (g_signalled.exchange(true)) {
        core::RemoveRegisteredTemporaries();
        constexpr char text[] = "\ncamlog: interrupted again, quitting now\n";
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, text, sizeof text - 1);
        ::_exit(128 + number);
    }
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t ignored = ::write(g_pipe[1], &byte, 1);
}

} // namespace

WindowSignals::WindowSignals(std::function<void()> onSignal) : m_onSignal(std::move(onSignal))
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1) {}
        if (m_onSignal)
            m_onSignal();
    });
    struct sigaction action {};
    action.sa_handler = &handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

WindowSignals::~WindowSignals()
{
    // The window is gone: a signal now ends the program at once, as by default, once the
    // temporary files are removed.
    g_signalled = true;
    delete m_notifier;
    m_notifier = nullptr;
}

} // namespace camlog::app
