// The session's host in the batch mode: the main thread serves the posted tasks from a queue,
// questions go to the terminal (or the --yes / --no rule), messages and errors to standard
// error, reports to standard output, the gauge to a text bar.
#pragma once

#include "app/batch/progress_bar.h"
#include "app/batch/terminal_questions.h"
#include "headless/list/queue_dispatcher.h"
#include "headless/session/session_host.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace camlog::app {

// The texts of standard error, kept apart so that the progress bar never cuts a line.
class BatchConsole {
public:
    BatchConsole(std::FILE *err, ProgressBar &bar) : m_err(err), m_bar(bar) {}
    // One line on standard error, after clearing the bar.
    void line(const std::string &text);
    std::FILE *stream() const { return m_err; }

private:
    std::FILE *m_err;
    ProgressBar &m_bar;
};

class BatchHost : public session::SessionHost {
public:
    // out: standard output, where the reports a user asked for go.
    BatchHost(TerminalQuestions &questions, BatchConsole &console, ProgressBar &bar, std::FILE *out);

    void post(std::function<void()> task) override;
    // Main thread: runs posted tasks until done() holds. Waits on the queue without polling.
    void serveUntil(const std::function<bool()> &done);

    engine::TAnswer askQuestion(const std::string &text, engine::TQuestionButtons buttons) override;
    void commandMessage(const std::string &text) override;
    void commandError(const std::string &text) override;
    void startProgress(int maximum) override;
    void setProgress(int position) override;
    void endProgress() override;
    void note(session::NoteKind kind, const std::string &text) override;
    void report(session::ReportKind kind, const std::string &text) override;

private:
    ui::QueueDispatcher m_queue;
    TerminalQuestions &m_questions;
    BatchConsole &m_console;
    ProgressBar &m_bar;
    std::FILE *m_out;
};

} // namespace camlog::app
