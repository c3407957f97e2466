// The pipeline's run, stop, completion and failure, with sources that stand in for real ones.
#include "media/pipeline/media_stamper.h"
#include "media/pipeline/pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>

namespace camlog::media {
namespace {

// Delivers nothing until it is told to stop: a source that would never end by itself.
class BlockingSource : public PipelineSource {
public:
    std::int64_t Duration() const override { return 1000; }
    void Run(PipelineRun &run) override
    {
        run.setPosition(500);
        started.set_value();
        while (!run.waitForStop(std::chrono::hours(1))) {}
        finishedItsOutput = true;
    }
    std::promise<void> started;
    std::atomic<bool> finishedItsOutput{false};
};

class CountingSource : public PipelineSource {
public:
    explicit CountingSource(int frames, bool fail = false) : m_frames(frames), m_fail(fail) {}
    std::int64_t Duration() const override { return m_frames * 400000LL; }
    void SetPositions(std::int64_t start, std::int64_t stop) override
    {
        m_first = start / 400000;
        m_last = stop / 400000;
    }
    void Run(PipelineRun &run) override
    {
        for (std::int64_t i = m_first; i < std::min<std::int64_t>(m_last, m_frames); ++i) {
            if (run.stopRequested())
                return;
            ++delivered;
            run.setPosition((i + 1) * 400000);
        }
        if (m_fail)
            failRun(RunErrorCode::DiskFull, "disk full");
    }
    std::atomic<int> delivered{0};

private:
    std::int64_t m_frames;
    bool m_fail;
    std::int64_t m_first = 0;
    std::int64_t m_last = INT64_MAX;
};

TEST(Pipeline, StopEndsASourceThatWouldRunForeverWithoutCompletion)
{
    Pipeline pipeline;
    auto source = std::make_unique<BlockingSource>();
    BlockingSource *raw = source.get();
    pipeline.SetSource(std::move(source));
    std::atomic<int> completions{0};
    pipeline.OnComplete = [&](const PipelineEnd &) {
        ++completions;
    };

    pipeline.Run();
    raw->started.get_future().wait();
    EXPECT_TRUE(pipeline.IsRunning());
    EXPECT_EQ(pipeline.CurrentPosition(), 500);
    pipeline.Stop();
    EXPECT_FALSE(pipeline.IsRunning());
    EXPECT_TRUE(raw->finishedItsOutput);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(pipeline.LastEnd().ok());
}

TEST(Pipeline, ARunToTheEndCompletesOnceWithItsPosition)
{
    Pipeline pipeline;
    auto source = std::make_unique<CountingSource>(10);
    CountingSource *raw = source.get();
    pipeline.SetSource(std::move(source));
    EXPECT_EQ(pipeline.Duration(), 4000000);
    std::promise<PipelineEnd> completed;
    pipeline.OnComplete = [&](const PipelineEnd &end) {
        completed.set_value(end);
    };

    pipeline.Run();
    const PipelineEnd end = completed.get_future().get();
    pipeline.Stop();
    EXPECT_TRUE(end.ok());
    EXPECT_EQ(raw->delivered, 10);
    EXPECT_EQ(pipeline.CurrentPosition(), 4000000);
}

TEST(Pipeline, PositionsLimitTheRunAndStayAbsolute)
{
    Pipeline pipeline;
    auto source = std::make_unique<CountingSource>(10);
    CountingSource *raw = source.get();
    pipeline.SetSource(std::move(source));
    pipeline.SetPositions(2 * 400000, 5 * 400000);
    std::promise<void> completed;
    pipeline.OnComplete = [&](const PipelineEnd &) {
        completed.set_value();
    };
    pipeline.Run();
    completed.get_future().wait();
    pipeline.Stop();
    EXPECT_EQ(raw->delivered, 3);
    EXPECT_EQ(pipeline.CurrentPosition(), 5 * 400000);
}

TEST(Pipeline, AFailureEndsTheRunWithItsMessage)
{
    Pipeline pipeline;
    pipeline.SetSource(std::make_unique<CountingSource>(3, true));
    std::promise<PipelineEnd> completed;
    pipeline.OnComplete = [&](const PipelineEnd &end) {
        completed.set_value(end);
    };
    pipeline.Run();
    const PipelineEnd end = completed.get_future().get();
    pipeline.Stop();
    EXPECT_FALSE(end.ok());
    EXPECT_EQ(end.error().code, RunErrorCode::DiskFull);
    EXPECT_EQ(end.error().message, "disk full");
    EXPECT_FALSE(pipeline.LastEnd().ok());
}

TEST(Pipeline, RunsAgainAfterAStopAndAResetDropsTheSource)
{
    Pipeline pipeline;
    auto source = std::make_unique<CountingSource>(4);
    CountingSource *raw = source.get();
    pipeline.SetSource(std::move(source));
    for (int round = 0; round < 2; ++round) {
        std::promise<void> completed;
        pipeline.OnComplete = [&](const PipelineEnd &) {
            completed.set_value();
        };
        pipeline.Run();
        completed.get_future().wait();
        pipeline.Stop();
    }
    EXPECT_EQ(raw->delivered, 8);
    pipeline.Reset();
    EXPECT_FALSE(pipeline.HasSource());
    EXPECT_EQ(pipeline.Duration(), 0);
    pipeline.Stop(); // harmless when idle
}

TEST(MediaStamper, KeepsTheMediaTimesOfTheLastSampleThatHadThem)
{
    Tdv_MediaStamper stamper;
    EXPECT_TRUE(stamper.StartStream({core::fcc::auds, core::FourCC()}));
    EXPECT_EQ(stamper.MediaStart(), 0);
    std::uint8_t bytes[4] = {1, 2, 3, 4};
    MediaSample with{bytes, 7, 8};
    stamper.Receive(with);
    MediaSample without{bytes};
    stamper.Receive(without);
    EXPECT_EQ(stamper.MediaStart(), 7);
    EXPECT_EQ(stamper.MediaEnd(), 8);
    EXPECT_EQ(bytes[0], 1);
}

} // namespace
} // namespace camlog::media
