// The DV layout of the picture read back through FFmpeg: a segment of one frame put into
// another changes, once decoded by FFmpeg's DV decoder, exactly the five macroblocks the layout
// says, in luma and in chroma.
#include "core/dv_frame.h"
#include "core/dv_video_segments.h"
#include "media/dv_picture_stage.h"
#include "media/dv_video_encoder.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace camlog::media {
namespace {

using core::PixelRect;

AvFramePtr noisePicture(const DvPictureFormat &format, unsigned seed)
{
    AvFramePtr picture(av_frame_alloc());
    picture->width = format.width();
    picture->height = format.height();
    picture->format = format.pixelFormat();
    EXPECT_EQ(av_frame_get_buffer(picture.get(), 0), 0);
    std::mt19937 random(seed);
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format.pixelFormat());
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? picture->height : AV_CEIL_RSHIFT(picture->height, desc->log2_chroma_h);
        for (int i = 0; i < picture->linesize[plane] * rows; ++i)
            picture->data[plane][i] = static_cast<std::uint8_t>(16 + random() % 220);
    }
    return picture;
}

class DvDecoder {
public:
    DvDecoder()
    {
        m_context.reset(avcodec_alloc_context3(avcodec_find_decoder(AV_CODEC_ID_DVVIDEO)));
        EXPECT_EQ(avcodec_open2(m_context.get(), m_context->codec, nullptr), 0);
    }
    AvFramePtr decode(std::vector<std::uint8_t> &frame)
    {
        AvPacketPtr packet(av_packet_alloc());
        packet->data = frame.data();
        packet->size = static_cast<int>(frame.size());
        EXPECT_EQ(avcodec_send_packet(m_context.get(), packet.get()), 0);
        AvFramePtr picture(av_frame_alloc());
        EXPECT_EQ(avcodec_receive_frame(m_context.get(), picture.get()), 0);
        return picture;
    }

private:
    CodecContextPtr m_context;
};

struct Plane {
    int shiftX;
    int shiftY;
};

// The pixels of `plane` that differ between the two pictures, each tested against the
// macroblocks (scaled to the plane) it must lie in; each macroblock must hold one.
void expectChangesWithin(const AVFrame &a, const AVFrame &b, int plane, Plane shift, const PixelRect (&blocks)[5],
                         const std::string &where)
{
    bool changed[5] = {};
    const int width = a.width >> shift.shiftX;
    const int height = a.height >> shift.shiftY;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (a.data[plane][y * a.linesize[plane] + x] == b.data[plane][y * b.linesize[plane] + x])
                continue;
            const PixelRect pixel{x << shift.shiftX, y << shift.shiftY, 1 << shift.shiftX, 1 << shift.shiftY};
            int owner = -1;
            for (int m = 0; m < 5; ++m)
                if (blocks[m].intersects(pixel))
                    owner = m;
            ASSERT_GE(owner, 0) << where << ": plane " << plane << " changed at " << x << "," << y;
            changed[owner] = true;
        }
    for (int m = 0; m < 5; ++m)
        EXPECT_TRUE(changed[m] || plane != 0) << where << ": macroblock " << m << " unchanged";
}

class DvVideoSegmentSwapTest : public testing::TestWithParam<DvSystem> {};

TEST_P(DvVideoSegmentSwapTest, ASwappedSegmentChangesItsFiveMacroblocksOnly)
{
    const DvPictureFormat format{GetParam(), false};
    const int nseq = format.system == DvSystem::Pal ? 12 : 10;
    auto encoder = DvVideoEncoder::create(format);
    ASSERT_TRUE(encoder);
    const auto encode = [&](unsigned seed) {
        const AvFramePtr picture = noisePicture(format, seed);
        const auto frame = encoder.value()->encode(*picture);
        EXPECT_TRUE(frame);
        return std::vector<std::uint8_t>(frame.value().begin(), frame.value().end());
    };
    std::vector<std::uint8_t> first = encode(1);
    const std::vector<std::uint8_t> second = encode(2);
    ASSERT_EQ(first.size(), static_cast<std::size_t>(nseq) * core::kDifSequenceSize);
    DvDecoder decoder;
    const AvFramePtr plain = decoder.decode(first);
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format.pixelFormat());
    const Plane chroma{desc->log2_chroma_w, desc->log2_chroma_h};
    for (int sequence = 0; sequence < nseq; ++sequence)
        for (int segment = 0; segment < core::kSegmentsPerSequence; ++segment) {
            std::vector<bool> keep(static_cast<std::size_t>(nseq * core::kSegmentsPerSequence), true);
            keep[static_cast<std::size_t>(sequence * core::kSegmentsPerSequence + segment)] = false;
            std::vector<std::uint8_t> swapped = first;
            core::CopyDvVideoSegments(swapped, second, nseq, keep);
            const AvFramePtr decoded = decoder.decode(swapped);
            PixelRect blocks[5];
            for (int m = 0; m < 5; ++m)
                blocks[m] = core::DvMacroblockRect(nseq, sequence, segment, m);
            const std::string where = "sequence " + std::to_string(sequence) + " segment " + std::to_string(segment);
            expectChangesWithin(*plain, *decoded, 0, {0, 0}, blocks, where);
            expectChangesWithin(*plain, *decoded, 1, chroma, blocks, where);
            expectChangesWithin(*plain, *decoded, 2, chroma, blocks, where);
            if (HasFatalFailure())
                return;
        }
}

INSTANTIATE_TEST_SUITE_P(BothSystems, DvVideoSegmentSwapTest, testing::Values(DvSystem::Pal, DvSystem::Ntsc),
                         [](const auto &info) { return info.param == DvSystem::Pal ? "Pal" : "Ntsc"; });

} // namespace
} // namespace camlog::media
