// The batch mode's session host.
#include "app/batch/batch_host.h"

namespace camlog::app {

using engine::TAnswer;
using session::NoteKind;

void BatchConsole::line(const std::string &text)
{
    m_bar.clearForText();
    std::fprintf(m_err, "%s\n", text.c_str());
    std::fflush(m_err);
}

BatchHost::BatchHost(TerminalQuestions &questions, BatchConsole &console, ProgressBar &bar, std::FILE *out)
    : m_questions(questions),
      m_console(console),
      m_bar(bar),
      m_out(out)
{
}

void BatchHost::post(std::function<void()> task)
{
    m_queue.runOnOwnerThread(std::move(task));
}

void BatchHost::serveUntil(const std::function<bool()> &done)
{
    // The wait blocks on the queue; the long timeout only bounds one wait, not the run.
    while (!m_queue.runUntil(done, std::chrono::hours(1))) {}
}

TAnswer BatchHost::askQuestion(const std::string &text, engine::TQuestionButtons buttons)
{
    m_bar.clearForText();
    return m_questions.Ask(text, buttons);
}

void BatchHost::commandMessage(const std::string &text)
{
    m_console.line(text);
}

void BatchHost::commandError(const std::string &text)
{
    m_console.line("Error: " + text);
}

void BatchHost::startProgress(int maximum)
{
    m_bar.start(maximum);
}

void BatchHost::setProgress(int position)
{
    m_bar.set(position);
}

void BatchHost::endProgress()
{
    m_bar.end();
}

void BatchHost::note(NoteKind kind, const std::string &text)
{
    switch (kind) {
    case NoteKind::Status:
        m_console.line(text);
        break;
    case NoteKind::RunEnd:
        // The terminal has shown every message of the run as it came; the exit status sums up.
        break;
    case NoteKind::Warning:
    case NoteKind::Failure:
        m_console.line("camlog: " + text);
        break;
    case NoteKind::Unavailable:
        m_console.line("camlog: " + text + " is not available in batch mode");
        break;
    }
}

void BatchHost::report(session::ReportKind, const std::string &text)
{
    m_bar.clearForText();
    std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

} // namespace camlog::app
