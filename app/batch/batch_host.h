// The engine's host in the batch mode: the main thread serves the worker's hand-offs, questions
// go to the terminal (or the --yes / --no rule), messages and errors to standard error, the
// gauge to a text bar.
#pragma once

#include "app/batch/progress_bar.h"
#include "app/batch/terminal_questions.h"
#include "engine/engine_host.h"
#include "ui/list/queue_dispatcher.h"

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

class BatchHost : public engine::EngineHost {
public:
    // The dispatcher is the main thread's queue, shared with the file list's openings.
    BatchHost(ui::QueueDispatcher &dispatcher, TerminalQuestions &questions, BatchConsole &console, ProgressBar &bar);

    // Queues the task for the main thread and blocks the worker until it has run there.
    void runOnHostThread(std::function<void()> task) override;

    void OnStartCommand() override;
    void OnEndCommand() override;
    void OnStartFichier(core::TaviFichier *aFichier, const engine::TParams &aParams, int passe) override;
    void OnEndFichier(core::TaviFichier *aFichier, const engine::TParams &aParams, int passe) override;
    void OnMessageCommand(const std::string &aMsg) override;
    void OnErrorCommand(const std::string &aMsg, engine::TErrorType aErrorType) override;
    void OnStartProgress(int progress) override;
    void OnSetProgress(int progress) override;
    void OnEndProgress() override;
    engine::TAnswer AskQuestion(const std::string &text, engine::TQuestionButtons buttons) override;

    // Main thread: runs queued hand-offs and list events until done() holds. Waits on the queue
    // without polling.
    void serveUntil(const std::function<bool()> &done);

    // Called on the main thread when a run has ended (the engine's LastRun is final then).
    std::function<void()> onRunEnded;
    // Called on the main thread around each file pass.
    std::function<void(core::TaviFichier *fichier)> onStartFichier;
    std::function<void(core::TaviFichier *fichier)> onEndFichier;

private:
    ui::QueueDispatcher &m_dispatcher;
    TerminalQuestions &m_questions;
    BatchConsole &m_console;
    ProgressBar &m_bar;
};

} // namespace camlog::app
