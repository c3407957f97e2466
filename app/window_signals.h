// SIGINT, SIGTERM and SIGHUP (a logout) while the window is open: the first closes the window
// as the batch mode ends its run (the command stopped, its temporary file removed, the settings
// saved), a second ends the program at once after removing the temporary files.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace camlog::app {

// The handlers only write the signal's number into a pipe; the window's thread reads it there.
// (Blocking the signals for a waiting thread, as the batch mode does, would hand the block on
// to the programs the window starts.) One object at a time.
class WindowSignals : public QObject {
public:
    // onSignal: run on the thread that made the object, at the first signal.
    explicit WindowSignals(std::function<void()> onSignal);
    ~WindowSignals() override;
    WindowSignals(const WindowSignals &) = delete;
    WindowSignals &operator=(const WindowSignals &) = delete;

private:
    std::function<void()> m_onSignal;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace camlog::app
