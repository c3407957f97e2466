// One batch run over a session.
#include "app/batch/batch_session.h"

#include "media/decoding/ffmpeg_log.h"

namespace camlog::app {

BatchSession::BatchSession(const prefs::Settings &settings, AnswerRule rule, const BatchStreams &streams,
                           const core::AviFileContext &context, session::CommandBinding commands,
                           session::ProgramIdentity identity)
    : m_bar(streams.err, streams.errIsTerminal),
      m_console(streams.err, m_bar),
      m_questions(rule, streams.inIsTerminal, streams.in, streams.err),
      m_host(m_questions, m_console, m_bar, streams.out),
      m_session(m_host, settings, context, std::move(commands), std::move(identity))
{
    // FFmpeg's errors join the run's messages, in order, on the main thread; the rest is dropped.
    media::RouteFfmpegLog([this](const std::string &line) {
        m_host.post([this, line] {
            if (++m_ffmpegLines <= kFfmpegLinesShown)
                m_console.line("camlog: FFmpeg: " + line);
        });
    });
}

void BatchSession::tellHiddenFfmpegLines()
{
    if (m_ffmpegLines > kFfmpegLinesShown)
        m_console.line("camlog: FFmpeg reported " + std::to_string(m_ffmpegLines)
                       + " errors in all (damaged data); only the first " + std::to_string(kFfmpegLinesShown)
                       + " are shown");
    m_ffmpegLines = 0;
}

BatchSession::~BatchSession()
{
    media::RouteFfmpegLog({});
    m_host.serveUntil([this] { return !m_session.engine().IsRunning(); });
}

void BatchSession::interrupt()
{
    m_host.post([this] { m_console.line("camlog: interrupted; stopping (press Ctrl+C again to quit at once)"); });
    m_session.interrupt();
}

bool BatchSession::run(std::span<const ui::ActionCall> calls)
{
    m_session.runCalls(calls);
    // A stop (Quit, Abort) ends the calls at once; what they started still ends in order.
    m_host.serveUntil([this] { return m_session.idle(); });
    tellHiddenFfmpegLines();
    return !m_session.outcome().failed;
}

} // namespace camlog::app
