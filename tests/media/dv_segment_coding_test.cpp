// The DV layout of the picture read back through FFmpeg: a segment of one frame put into
// another changes, once decoded by FFmpeg's DV decoder, exactly the five macroblocks the layout
// says, in luma and in chroma. And segments of several pictures packed into one and encoded
// once come out as FFmpeg's DV encoder codes them in their own pictures.
#include "core/dv_frame.h"
#include "core/dv_video_segments.h"
#include "media/reencoding/dv_picture_stage.h"
#include "media/reencoding/dv_segment_packer.h"
#include "media/reencoding/dv_video_encoder.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <algorithm>
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

// Two noise pictures touched in the same box (the same segments) share one pack: the second
// one's segments move to other sequences. Unpacked, every touched segment carries the data
// the encoder gives it when the picture is encoded on its own; the rest of each frame stays.
TEST_P(DvVideoSegmentSwapTest, PackedSegmentsAreCodedAsInTheirOwnPictures)
{
    const DvPictureFormat format{GetParam(), false};
    const int nseq = format.system == DvSystem::Pal ? 12 : 10;
    auto encoder = DvVideoEncoder::create(format);
    auto packer = DvSegmentPacker::create(format);
    ASSERT_TRUE(encoder && packer);
    const AvFramePtr pictures[2] = {noisePicture(format, 3), noisePicture(format, 4)};
    // The right edge and the bottom: the odd macroblocks of 525/60 included.
    const core::PixelRect box{560, format.height() - 60, 160, 40};
    const std::vector<bool> touched = core::DvSegmentsMeeting(nseq, std::span(&box, 1));
    const auto count = std::count(touched.begin(), touched.end(), true);
    ASSERT_GT(count, 10);
    ASSERT_LT(count * 2, nseq * core::kSegmentsPerSequence);

    std::vector<std::uint8_t> alone[2];
    for (int i = 0; i < 2; ++i) {
        const auto frame = encoder.value()->encode(*pictures[i]);
        ASSERT_TRUE(frame);
        alone[i].assign(frame.value().begin(), frame.value().end());
    }
    std::vector<SegmentPlacement> placed[2];
    ASSERT_TRUE(packer.value()->add(pictures[0].get(), touched, placed[0]));
    ASSERT_TRUE(packer.value()->add(pictures[1].get(), touched, placed[1]));
    EXPECT_EQ(static_cast<long>(placed[1].size()), count);
    EXPECT_TRUE(std::any_of(placed[1].begin(), placed[1].end(), [](const auto &p) { return p.slot != p.sequence; }));
    // Nothing fits a third time where the box's segments of some number fill every sequence,
    // and a refused picture leaves the pack as it was.
    std::vector<SegmentPlacement> third;
    const core::PixelRect all{0, 0, 720, format.height()};
    EXPECT_FALSE(packer.value()->add(pictures[0].get(), core::DvSegmentsMeeting(nseq, std::span(&all, 1)), third));
    EXPECT_TRUE(third.empty());
    const auto packed = encoder.value()->encode(packer.value()->picture());
    ASSERT_TRUE(packed);
    const std::vector<std::uint8_t> packedFrame(packed.value().begin(), packed.value().end());

    for (int i = 0; i < 2; ++i) {
        std::vector<std::uint8_t> frame(alone[i].size(), 0);
        DvSegmentPacker::unpack(packedFrame, frame, nseq, placed[i]);
        for (int sequence = 0; sequence < nseq; ++sequence)
            for (int segment = 0; segment < core::kSegmentsPerSequence; ++segment)
                for (int block = 0; block < core::kMacroblocksPerSegment; ++block) {
                    const std::size_t at = core::DvVideoBlockOffset(sequence, segment, block);
                    const bool isTouched =
                        touched[static_cast<std::size_t>(sequence * core::kSegmentsPerSequence + segment)];
                    // The three identification bytes are never written.
                    for (std::size_t b = 0; b < 3; ++b)
                        ASSERT_EQ(frame[at + b], 0) << i << " " << sequence << " " << segment;
                    for (std::size_t b = 3; b < core::kDifBlockSize; ++b)
                        ASSERT_EQ(frame[at + b], isTouched ? alone[i][at + b] : 0)
                            << "picture " << i << " sequence " << sequence << " segment " << segment << " block "
                            << block << " byte " << b;
                }
    }
    packer.value()->clear();
    EXPECT_TRUE(packer.value()->empty());
}

INSTANTIATE_TEST_SUITE_P(BothSystems, DvVideoSegmentSwapTest, testing::Values(DvSystem::Pal, DvSystem::Ntsc),
                         [](const auto &info) { return info.param == DvSystem::Pal ? "Pal" : "Ntsc"; });

} // namespace
} // namespace camlog::media
