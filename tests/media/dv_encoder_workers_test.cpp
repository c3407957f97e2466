// The encoders side by side: frames come out in the order their jobs went in, whatever order
// the threads finish in; a picture an encoder refuses stops them all with its error.
#include "media/reencoding/dv_encoder_workers.h"

#include "core/dv_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace camlog::media {
namespace {

AvFramePtr picture(int width, int height, AVPixelFormat format, std::uint8_t value)
{
    AvFramePtr frame(av_frame_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = format;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane)
        std::memset(frame->data[plane], value,
                    static_cast<std::size_t>(frame->linesize[plane]) * (plane ? height / 2 : height));
    return frame;
}

std::shared_ptr<const SourceFrameData> sourceNumbered(std::int64_t number)
{
    auto source = std::make_shared<SourceFrameData>();
    source->picture.frameNumber = number;
    return source;
}

// Collects what the encoders push, from whichever of their threads pushes it.
struct Collected {
    std::mutex mutex;
    std::vector<EncodedFrame> frames;
    bool refuse = false; // the receiver stopped taking frames

    EncodedFramesOutput output()
    {
        return [this](std::vector<EncodedFrame> pushed) {
            std::lock_guard lock(mutex);
            if (refuse)
                return false;
            for (EncodedFrame &frame : pushed)
                frames.push_back(std::move(frame));
            return true;
        };
    }
};

TEST(DvEncoderWorkersTest, FramesComeOutInTheOrderOfTheirJobs)
{
    const DvPictureFormat format{DvSystem::Pal, false};
    Collected collected;
    auto workers = DvEncoderWorkers::create(format, 3, 4, false, collected.output());
    ASSERT_TRUE(workers);
    constexpr int kJobs = 40;
    for (int i = 0; i < kJobs; ++i) {
        EncodeJob job;
        const bool small = i % 2 == 1;
        job.picture = small ? picture(64, 48, AV_PIX_FMT_YUV420P, static_cast<std::uint8_t>(i))
                            : picture(720, 576, AV_PIX_FMT_YUV420P, static_cast<std::uint8_t>(16 + i));
        job.scale = small;
        job.outputs.push_back({sourceNumbered(i), 1, true, {}});
        ASSERT_TRUE(workers.value()->push(std::move(job)));
    }
    workers.value()->close();
    workers.value()->join();
    // Every job's frame was pushed by the time the threads end, in the order of the jobs.
    ASSERT_EQ(collected.frames.size(), static_cast<std::size_t>(kJobs));
    for (std::size_t i = 0; i < collected.frames.size(); ++i) {
        EXPECT_EQ(collected.frames[i].source->picture.frameNumber, static_cast<std::int64_t>(i));
        // Odd jobs are a small picture that needs scaling, even ones the DV picture.
        EXPECT_EQ(collected.frames[i].frame.size(), core::kPalFrameSize);
    }
    EXPECT_EQ(workers.value()->error(), nullptr);
}

TEST(DvEncoderWorkersTest, AReceiverThatStopsTakingFramesStopsTheEncoders)
{
    const DvPictureFormat format{DvSystem::Pal, false};
    Collected collected;
    collected.refuse = true;
    auto workers = DvEncoderWorkers::create(format, 2, 2, false, collected.output());
    ASSERT_TRUE(workers);
    // The encoders stop at the first refused push; later pushes of jobs are refused in turn
    // rather than left waiting for encoders that no longer take any.
    bool refused = false;
    for (int i = 0; i < 50 && !refused; ++i)
        refused = !workers.value()->push(
            {picture(720, 576, AV_PIX_FMT_YUV420P, 100), false, {{sourceNumbered(i), 1, true, {}}}, nullptr});
    EXPECT_TRUE(refused);
    workers.value()->join();
    EXPECT_TRUE(collected.frames.empty());
    EXPECT_EQ(workers.value()->error(), nullptr);
}

TEST(DvEncoderWorkersTest, ARefusedPictureStopsTheEncodersWithItsError)
{
    const DvPictureFormat format{DvSystem::Ntsc, false};
    Collected collected;
    auto workers = DvEncoderWorkers::create(format, 2, 2, false, collected.output());
    ASSERT_TRUE(workers);
    // A picture of the wrong size, not to be scaled: the encoder refuses it.
    EncodeJob bad{picture(64, 48, AV_PIX_FMT_YUV420P, 0), false, {{sourceNumbered(0), 1, true, {}}}, nullptr};
    ASSERT_TRUE(workers.value()->push(std::move(bad)));
    // Later pushes are refused once the failure is seen; the encoders never block the caller.
    for (int i = 1; i < 50; ++i) {
        EncodeJob job{picture(720, 480, AV_PIX_FMT_YUV411P, 128), false, {{sourceNumbered(i), 1, true, {}}}, nullptr};
        if (!workers.value()->push(std::move(job)))
            break;
    }
    workers.value()->close();
    workers.value()->join();
    EXPECT_TRUE(collected.frames.empty());
    ASSERT_NE(workers.value()->error(), nullptr);
    try {
        std::rethrow_exception(workers.value()->error());
    } catch (const std::exception &error) {
        EXPECT_NE(std::string(error.what()).find("DV video encoder"), std::string::npos) << error.what();
    }
}

TEST(DvEncoderWorkersTest, AnAbortDropsWhatIsOnItsWay)
{
    const DvPictureFormat format{DvSystem::Pal, false};
    Collected collected;
    auto workers = DvEncoderWorkers::create(format, 2, 8, false, collected.output());
    ASSERT_TRUE(workers);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(workers.value()->push(
            {picture(720, 576, AV_PIX_FMT_YUV420P, 100), false, {{sourceNumbered(i), 1, true, {}}}, nullptr}));
    std::size_t before = 0;
    {
        std::lock_guard lock(collected.mutex);
        before = collected.frames.size();
    }
    workers.value()->abort();
    EXPECT_FALSE(workers.value()->push(
        {picture(720, 576, AV_PIX_FMT_YUV420P, 100), false, {{sourceNumbered(8), 1, true, {}}}, nullptr}));
    workers.value()->join();
    // Nothing is pushed after the abort but what was being pushed as it came.
    EXPECT_LE(collected.frames.size(), before + 2);
    EXPECT_EQ(workers.value()->error(), nullptr);
}

} // namespace
} // namespace camlog::media
