// One batch run: a session of the program hosted by the main thread, with the terminal for its
// questions, standard error for its messages and standard output for its reports.
#pragma once

#include "app/batch/batch_host.h"
#include "app/batch/progress_bar.h"
#include "app/batch/terminal_questions.h"
#include "core/avi_fichier.h"
#include "headless/actions/action_call.h"
#include "headless/session/command_binding.h"
#include "headless/session/program_identity.h"
#include "headless/session/session.h"
#include "prefs/settings.h"

#include <cstdio>
#include <span>

namespace camlog::app {

struct BatchStreams {
    std::FILE *in = stdin;
    std::FILE *out = stdout;
    std::FILE *err = stderr;
    bool inIsTerminal = false;
    bool errIsTerminal = false;
};

class BatchSession {
public:
    // context: how file objects are built (prober, display pattern); it must outlive the session.
    // commands: the command module's actions; its commands must outlive the session.
    BatchSession(const prefs::Settings &settings, AnswerRule rule, const BatchStreams &streams,
                 const core::AviFileContext &context, session::CommandBinding commands,
                 session::ProgramIdentity identity);
    // Serves the hand-offs of a run still in progress, then stops the openings.
    ~BatchSession();
    BatchSession(const BatchSession &) = delete;
    BatchSession &operator=(const BatchSession &) = delete;

    // Runs the calls in order, each to the end of its work, then waits for what is still running.
    // Returns whether every call went well (no failed file, no failed list action).
    bool run(std::span<const ui::ActionCall> calls);

    // Stops the run as "Abort all" does and says so. Safe from any thread.
    void interrupt();

    BatchConsole &console() { return m_console; }

private:
    static constexpr int kFfmpegLinesShown = 3;
    // One line for the FFmpeg errors that were not shown, when there were some.
    void tellHiddenFfmpegLines();

    ProgressBar m_bar;
    BatchConsole m_console;
    TerminalQuestions m_questions;
    BatchHost m_host;
    session::Session m_session;
    // FFmpeg's error lines of the run: a damaged file gives one per damaged frame, so only the
    // first few are shown and the others counted (host thread only).
    int m_ffmpegLines = 0;
};

} // namespace camlog::app
