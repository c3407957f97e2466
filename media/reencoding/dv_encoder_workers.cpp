// The DV encoders of the re-encoding, each on a thread of its own.
#include "media/reencoding/dv_encoder_workers.h"

#include "media/pipeline/bounded_queue.h"
#include "media/pipeline/run_error.h"
#include "media/reencoding/dv_video_encoder.h"

#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace camlog::media {

// One thread's encoder and its picture stage.
struct EncoderWorker {
    std::unique_ptr<DvVideoEncoder> encoder;
    std::unique_ptr<DvPictureStage> stage;
};

class DvEncoderWorkers::Impl {
public:
    Impl(int nseq, std::size_t jobsInFlight, EncodedFramesOutput output)
        : m_nseq(nseq),
          m_jobs(jobsInFlight),
          m_output(std::move(output))
    {
    }
    ~Impl()
    {
        abort();
        join();
    }

    void start(std::vector<EncoderWorker> workers);
    bool push(EncodeJob job);
    void close() { m_jobs.close(); }
    void abort();
    void join();
    std::exception_ptr error() const
    {
        std::lock_guard lock(m_mutex);
        return m_error;
    }

private:
    struct NumberedJob {
        std::uint64_t number = 0;
        EncodeJob job;
    };
    void work(EncoderWorker &worker);
    std::vector<EncodedFrame> encode(EncoderWorker &worker, EncodeJob &job) const;
    void finished(std::uint64_t number, std::vector<EncodedFrame> frames);
    void pushInOrder();

    const int m_nseq;
    BoundedQueue<NumberedJob> m_jobs;
    std::uint64_t m_pushed = 0; // jobs numbered so far (one pushing thread)
    std::vector<EncoderWorker> m_workers;
    std::vector<std::thread> m_threads;

    mutable std::mutex m_mutex;
    std::map<std::uint64_t, std::vector<EncodedFrame>> m_done; // by job number
    std::uint64_t m_nextOut = 0;
    EncodedFramesOutput m_output;
    std::mutex m_outputMutex; // one thread pushes at a time, so the order holds
    bool m_stopped = false;
    std::exception_ptr m_error;
};

void DvEncoderWorkers::Impl::start(std::vector<EncoderWorker> workers)
{
    m_workers = std::move(workers);
    for (EncoderWorker &worker : m_workers)
        m_threads.emplace_back([this, &worker] { work(worker); });
}

bool DvEncoderWorkers::Impl::push(EncodeJob job)
{
    return m_jobs.push({m_pushed++, std::move(job)});
}

void DvEncoderWorkers::Impl::abort()
{
    m_jobs.abort();
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_done.clear();
    }
}

void DvEncoderWorkers::Impl::join()
{
    for (std::thread &thread : m_threads)
        if (thread.joinable())
            thread.join();
}

void DvEncoderWorkers::Impl::work(EncoderWorker &worker)
{
    try {
        while (auto numbered = m_jobs.pop())
            finished(numbered->number, encode(worker, numbered->job));
    } catch (...) {
        {
            std::lock_guard lock(m_mutex);
            if (!m_error)
                m_error = std::current_exception();
            m_stopped = true;
        }
        m_jobs.abort();
    }
}

std::vector<EncodedFrame> DvEncoderWorkers::Impl::encode(EncoderWorker &worker, EncodeJob &job) const
{
    std::span<const std::uint8_t> coded;
    if (job.picture) {
        const AVFrame *picture = job.picture.get();
        if (job.scale) {
            auto scaled = worker.stage->convert(*picture);
            if (!scaled)
                throw RunFailure(runError(scaled.error()));
            picture = scaled.value();
        }
        auto encoded = worker.encoder->encode(*picture);
        if (!encoded)
            throw RunFailure(runError(encoded.error()));
        coded = encoded.value();
    }
    std::vector<EncodedFrame> frames;
    frames.reserve(job.outputs.size());
    for (EncodeOutput &output : job.outputs) {
        EncodedFrame frame{{}, std::move(output.source), output.count};
        if (output.whole) {
            frame.frame.assign(coded.begin(), coded.end());
        } else {
            frame.frame = frame.source->frame;
            DvSegmentPacker::unpack(coded, frame.frame, m_nseq, output.placed);
        }
        frames.push_back(std::move(frame));
    }
    if (job.picture && job.recycle)
        job.recycle(std::move(job.picture));
    return frames;
}

void DvEncoderWorkers::Impl::finished(std::uint64_t number, std::vector<EncodedFrame> frames)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            return;
        m_done.emplace(number, std::move(frames));
    }
    pushInOrder();
}

// Pushes out the jobs done whose turn it is; the thread that completes the order pushes them.
void DvEncoderWorkers::Impl::pushInOrder()
{
    std::lock_guard pushing(m_outputMutex);
    for (;;) {
        std::vector<EncodedFrame> frames;
        {
            std::lock_guard lock(m_mutex);
            const auto next = m_done.find(m_nextOut);
            if (m_stopped || next == m_done.end())
                return;
            frames = std::move(next->second);
            m_done.erase(next);
            ++m_nextOut;
        }
        if (!m_output(std::move(frames))) {
            abort();
            return;
        }
    }
}

DvEncoderWorkers::DvEncoderWorkers(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

DvEncoderWorkers::~DvEncoderWorkers() = default;

core::Expected<std::unique_ptr<DvEncoderWorkers>, ReencodeErrorCode>
DvEncoderWorkers::create(const DvPictureFormat &format, int threads, std::size_t jobsInFlight, bool interlacedScaling,
                         EncodedFramesOutput output)
{
    std::vector<EncoderWorker> workers;
    for (int i = 0; i < threads; ++i) {
        auto encoder = DvVideoEncoder::create(format);
        if (!encoder)
            return encoder.error();
        auto stage = DvPictureStage::create(format);
        if (!stage)
            return stage.error();
        stage.value()->setInterlacedScaling(interlacedScaling);
        workers.push_back({std::move(encoder.value()), std::move(stage.value())});
    }
    auto impl = std::make_unique<Impl>(dvSequences(format.system), jobsInFlight, std::move(output));
    impl->start(std::move(workers));
    return std::unique_ptr<DvEncoderWorkers>(new DvEncoderWorkers(std::move(impl)));
}

bool DvEncoderWorkers::push(EncodeJob job)
{
    return m_impl->push(std::move(job));
}

void DvEncoderWorkers::close()
{
    m_impl->close();
}

void DvEncoderWorkers::abort()
{
    m_impl->abort();
}

void DvEncoderWorkers::join()
{
    m_impl->join();
}

std::exception_ptr DvEncoderWorkers::error() const
{
    return m_impl->error();
}

} // namespace camlog::media
