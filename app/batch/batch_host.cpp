// The batch mode's engine host.
#include "app/batch/batch_host.h"

#include <exception>
#include <future>

namespace camlog::app {

using engine::TAnswer;
using engine::TErrorType;

void BatchConsole::line(const std::string &text)
{
    m_bar.clearForText();
    std::fprintf(m_err, "%s\n", text.c_str());
    std::fflush(m_err);
}

BatchHost::BatchHost(ui::QueueDispatcher &dispatcher, TerminalQuestions &questions, BatchConsole &console,
                     ProgressBar &bar)
    : m_dispatcher(dispatcher), m_questions(questions), m_console(console), m_bar(bar)
{
}

void BatchHost::runOnHostThread(std::function<void()> task)
{
    std::promise<void> ran;
    std::future<void> done = ran.get_future();
    m_dispatcher.runOnOwnerThread([&task, &ran] {
        try {
            task();
            ran.set_value();
        } catch (...) {
            ran.set_exception(std::current_exception());
        }
    });
    done.get();
}

void BatchHost::serveUntil(const std::function<bool()> &done)
{
    // The wait blocks on the queue; the long timeout only bounds one wait, not the run.
    while (!m_dispatcher.runUntil(done, std::chrono::hours(1))) {
    }
}

void BatchHost::OnStartCommand() {}

void BatchHost::OnEndCommand()
{
    m_bar.end();
    if (onRunEnded)
        onRunEnded();
}

void BatchHost::OnStartFichier(core::TaviFichier *aFichier, const engine::TParams &, int)
{
    if (onStartFichier)
        onStartFichier(aFichier);
}

void BatchHost::OnEndFichier(core::TaviFichier *aFichier, const engine::TParams &, int)
{
    if (onEndFichier)
        onEndFichier(aFichier);
}

void BatchHost::OnMessageCommand(const std::string &aMsg)
{
    if (!aMsg.empty())
        m_console.line(aMsg);
}

void BatchHost::OnErrorCommand(const std::string &aMsg, TErrorType aErrorType)
{
    std::string text = "Error: " + aMsg;
    switch (aErrorType) {
    case TErrorType::etNoError: break;
    case TErrorType::etError: text += "\nThe current file has been aborted."; break;
    case TErrorType::etAllError: text += "\nThe command will be aborted."; break;
    }
    m_console.line(text);
    m_bar.end();
}

void BatchHost::OnStartProgress(int progress)
{
    m_bar.start(progress);
}

void BatchHost::OnSetProgress(int progress)
{
    m_bar.set(progress);
}

void BatchHost::OnEndProgress()
{
    m_bar.end();
}

TAnswer BatchHost::AskQuestion(const std::string &text, engine::TQuestionButtons buttons)
{
    m_bar.clearForText();
    return m_questions.Ask(text, buttons);
}

} // namespace camlog::app
