// The processing pipeline: a source driving its stages and sinks on a thread of its own.
#include "media/pipeline/pipeline.h"

#include <exception>

namespace camlog::media {

bool PipelineRun::waitForStop(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_stopped.wait_for(lock, timeout, [this] { return stopRequested(); });
}

Pipeline::~Pipeline()
{
    Stop();
}

void Pipeline::Reset()
{
    Stop();
    m_source.reset();
    m_run.reset();
}

void Pipeline::SetSource(std::unique_ptr<PipelineSource> source)
{
    Stop();
    m_source = std::move(source);
    m_run.reset();
}

std::int64_t Pipeline::Duration() const
{
    return m_source ? m_source->Duration() : 0;
}

void Pipeline::SetPositions(std::int64_t start, std::int64_t stop)
{
    if (m_source)
        m_source->SetPositions(start, stop);
}

void Pipeline::Run()
{
    Stop();
    m_run = std::make_unique<PipelineRun>();
    {
        std::lock_guard lock(m_mutex);
        m_running = true;
    }
    m_thread = std::thread([this] { runThread(); });
}

void Pipeline::runThread()
{
    PipelineEnd end;
    try {
        if (m_source)
            m_source->Run(*m_run);
    } catch (const RunFailure &failure) {
        end = failure.error();
    } catch (const std::exception &e) {
        end = RunError{RunErrorCode::Failed, e.what()};
    } catch (...) {
        end = RunError{RunErrorCode::Failed, "unknown failure"};
    }
    {
        std::lock_guard lock(m_mutex);
        m_lastEnd = end;
        m_running = false;
    }
    // A run stopped on request has not completed.
    if (!m_run->stopRequested() && OnComplete)
        OnComplete(end);
}

void Pipeline::Stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_run->m_mutex);
        m_run->m_stop.store(true, std::memory_order_relaxed);
    }
    m_run->m_stopped.notify_all();
    m_thread.join();
}

bool Pipeline::IsRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

PipelineEnd Pipeline::LastEnd() const
{
    std::lock_guard lock(m_mutex);
    return m_lastEnd;
}

} // namespace camlog::media
