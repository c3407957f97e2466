// The encoders side by side: frames come out in the order their jobs went in, whatever order
// the threads finish in; a picture an encoder refuses stops them all with its error.
#include "media/reencoding/dv_encoder_workers.h"

#include "core/dv_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

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

TEST(DvEncoderWorkersTest, FramesComeOutInTheOrderOfTheirJobs)
{
    const DvPictureFormat format{DvSystem::Pal, false};
    auto workers = DvEncoderWorkers::create(format, 3, 4, false);
    ASSERT_TRUE(workers);
    constexpr int kJobs = 40;
    std::int64_t expected = 0;
    std::vector<std::uint8_t> lastFrame;
    int outputs = 0;
    const auto collect = [&](bool wait) {
        while (auto frames = workers.value()->pop(wait))
            for (const EncodedFrame &frame : *frames) {
                EXPECT_EQ(frame.source->picture.frameNumber, expected++);
                // Odd jobs are a small picture that needs scaling, even ones the DV picture.
                EXPECT_EQ(frame.frame.size(), core::kPalFrameSize);
                ++outputs;
            }
    };
    for (int i = 0; i < kJobs; ++i) {
        EncodeJob job;
        const bool small = i % 2 == 1;
        job.picture = small ? picture(64, 48, AV_PIX_FMT_YUV420P, static_cast<std::uint8_t>(i))
                            : picture(720, 576, AV_PIX_FMT_YUV420P, static_cast<std::uint8_t>(16 + i));
        job.scale = small;
        job.outputs.push_back({sourceNumbered(i), 1, true, {}});
        ASSERT_TRUE(workers.value()->push(std::move(job)));
        collect(false);
    }
    workers.value()->close();
    collect(true);
    EXPECT_EQ(outputs, kJobs);
    EXPECT_EQ(workers.value()->error(), nullptr);
}

TEST(DvEncoderWorkersTest, ARefusedPictureStopsTheEncodersWithItsError)
{
    const DvPictureFormat format{DvSystem::Ntsc, false};
    auto workers = DvEncoderWorkers::create(format, 2, 2, false);
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
    EXPECT_FALSE(workers.value()->pop(true));
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
    auto workers = DvEncoderWorkers::create(format, 2, 8, false);
    ASSERT_TRUE(workers);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(workers.value()->push(
            {picture(720, 576, AV_PIX_FMT_YUV420P, 100), false, {{sourceNumbered(i), 1, true, {}}}, nullptr}));
    workers.value()->abort();
    EXPECT_FALSE(workers.value()->push(
        {picture(720, 576, AV_PIX_FMT_YUV420P, 100), false, {{sourceNumbered(8), 1, true, {}}}, nullptr}));
    EXPECT_FALSE(workers.value()->pop(true));
    workers.value()->join();
    EXPECT_EQ(workers.value()->error(), nullptr);
}

} // namespace
} // namespace camlog::media
