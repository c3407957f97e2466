// The processing pipeline: a source driving its stages and sinks on a thread of its own.
#pragma once

#include "media/pipeline/run_error.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace camlog::media {

// What a running source sees of its pipeline: the stop request and where to report its position.
class PipelineRun {
public:
    bool stopRequested() const { return m_stop.load(std::memory_order_relaxed); }
    // For loops that poll an abort flag of their own type (the datecode scan).
    const std::atomic<bool> &stopFlag() const { return m_stop; }
    // Blocks until a stop is requested or the time has passed; true when stopped.
    bool waitForStop(std::chrono::milliseconds timeout);
    // Media time reached, in 100-ns units (absolute, not counted from the start position).
    void setPosition(std::int64_t position) { m_position.store(position, std::memory_order_relaxed); }

private:
    friend class Pipeline;
    std::atomic<bool> m_stop{false};
    std::atomic<std::int64_t> m_position{0};
    std::mutex m_mutex;
    std::condition_variable m_stopped;
};

// The head of a pipeline: reads its input and pushes every sample through its stages to the
// sinks. Run returns at the end of the stream or soon after a stop request (at most one frame
// later) with every output finished so that it is readable. A failure ends the run with a
// RunFailure (thrown where it is found, however deep in the source's loop), which the
// pipeline catches and hands on as the run's end.
class PipelineSource {
public:
    virtual ~PipelineSource() = default;
    // Length of the whole stream in 100-ns units; 0 when unknown.
    virtual std::int64_t Duration() const = 0;
    // Restricts the run to [start, stop) in 100-ns units (absolute positions). Sources that
    // cannot seek ignore it.
    virtual void SetPositions(std::int64_t start, std::int64_t stop) { (void)start, (void)stop; }
    virtual void Run(PipelineRun &run) = 0;
};

// How a run ended, given to OnComplete: success, or the kind and the message of its failure.
using PipelineEnd = RunResult;

// One source at a time; Run starts it on the pipeline's thread, Stop asks it to stop and waits
// for its end. OnComplete is called on the pipeline's thread when the run ends by itself (end of
// the stream or a failure), never after a Stop that came first. Not to be driven from two
// threads at once.
class Pipeline {
public:
    Pipeline() = default;
    ~Pipeline();
    Pipeline(const Pipeline &) = delete;
    Pipeline &operator=(const Pipeline &) = delete;

    // Stops a run in progress and drops the source.
    void Reset();
    void SetSource(std::unique_ptr<PipelineSource> source);
    bool HasSource() const { return m_source != nullptr; }

    std::int64_t Duration() const;
    std::int64_t CurrentPosition() const { return m_run ? m_run->m_position.load(std::memory_order_relaxed) : 0; }
    void SetPositions(std::int64_t start, std::int64_t stop);

    // Starts the source on the pipeline's thread; a pipeline without a source completes at once.
    void Run();
    // Requests the stop and waits for the source to return. Harmless when not running.
    void Stop();
    bool IsRunning() const;
    // Whether a stop has been asked of the run in progress (for stages that wait).
    bool StopRequested() const { return m_run && m_run->stopRequested(); }

    // The outcome of the last run that ended (ok before any run).
    PipelineEnd LastEnd() const;

    std::function<void(const PipelineEnd &)> OnComplete;

private:
    void runThread();

    std::unique_ptr<PipelineSource> m_source;
    std::unique_ptr<PipelineRun> m_run;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    PipelineEnd m_lastEnd;
    bool m_running = false;
};

} // namespace camlog::media
