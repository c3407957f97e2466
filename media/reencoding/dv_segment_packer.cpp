// Several pictures' worth of touched video segments coded in one run of the DV encoder.
#include "media/reencoding/dv_segment_packer.h"

#include "core/dv_frame.h"
#include "core/dv_video_segments.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstring>

namespace camlog::media {

namespace {

// The three identification bytes that open every DIF block.
constexpr std::size_t kDifIdSize = 3;

void copyRect(const AVFrame &from, AVFrame &to, int plane, const core::PixelRect &source, const core::PixelRect &target)
{
    for (int row = 0; row < source.height; ++row)
        std::memcpy(to.data[plane] + static_cast<std::ptrdiff_t>(target.y + row) * to.linesize[plane] + target.x,
                    from.data[plane] + static_cast<std::ptrdiff_t>(source.y + row) * from.linesize[plane] + source.x,
                    static_cast<std::size_t>(source.width));
}

core::PixelRect chromaRect(const core::PixelRect &luma, int shiftX, int shiftY)
{
    return {luma.x >> shiftX, luma.y >> shiftY, luma.width >> shiftX, luma.height >> shiftY};
}

} // namespace

DvSegmentPacker::~DvSegmentPacker() = default;

core::Expected<std::unique_ptr<DvSegmentPacker>, ReencodeErrorCode>
DvSegmentPacker::create(const DvPictureFormat &format)
{
    std::unique_ptr<DvSegmentPacker> packer(new DvSegmentPacker(dvSequences(format.system)));
    packer->m_format = format;
    packer->m_pack = format.newPicture();
    if (!packer->m_pack)
        return ReencodeError{ReencodeErrorCode::PictureFailed, "out of memory for the DV picture"};
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format.pixelFormat());
    packer->m_shiftX = desc->log2_chroma_w;
    packer->m_shiftY = desc->log2_chroma_h;
    packer->m_taken.assign(static_cast<std::size_t>(packer->m_nseq * core::kSegmentsPerSequence), false);
    packer->clear();
    return packer;
}

AvFramePtr DvSegmentPacker::takePicture()
{
    AvFramePtr next;
    {
        std::lock_guard lock(m_recycledMutex);
        if (!m_recycled.empty()) {
            next = std::move(m_recycled.back());
            m_recycled.pop_back();
        }
    }
    if (!next)
        next = m_format.newPicture();
    if (!next)
        return nullptr;
    AvFramePtr taken = std::move(m_pack);
    m_pack = std::move(next);
    clear();
    return taken;
}

void DvSegmentPacker::recyclePicture(AvFramePtr picture)
{
    if (!picture || !av_frame_is_writable(picture.get()))
        return;
    std::lock_guard lock(m_recycledMutex);
    if (m_recycled.size() < 8)
        m_recycled.push_back(std::move(picture));
}

void DvSegmentPacker::clear()
{
    AVFrame &pack = *m_pack;
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? pack.height : pack.height >> m_shiftY;
        std::memset(pack.data[plane], 128, static_cast<std::size_t>(pack.linesize[plane]) * rows);
    }
    std::fill(m_taken.begin(), m_taken.end(), false);
    m_used = 0;
}

bool DvSegmentPacker::add(const AVFrame *picture, const std::vector<bool> &touched,
                          std::vector<SegmentPlacement> &placed)
{
    placed.clear();
    std::vector<bool> taken = m_taken;
    for (int sequence = 0; sequence < m_nseq; ++sequence)
        for (int segment = 0; segment < core::kSegmentsPerSequence; ++segment) {
            if (!touched[static_cast<std::size_t>(sequence * core::kSegmentsPerSequence + segment)])
                continue;
            // Its own place first, so that a pack of one picture is the picture itself.
            int slot = -1;
            for (int i = 0; i < m_nseq && slot < 0; ++i) {
                const int candidate = (sequence + i) % m_nseq;
                if (!taken[static_cast<std::size_t>(candidate * core::kSegmentsPerSequence + segment)])
                    slot = candidate;
            }
            if (slot < 0) {
                placed.clear();
                return false;
            }
            taken[static_cast<std::size_t>(slot * core::kSegmentsPerSequence + segment)] = true;
            placed.push_back({sequence, segment, slot});
        }
    if (placed.empty())
        return true;
    if (picture == nullptr || av_frame_make_writable(m_pack.get()) < 0) {
        placed.clear();
        return false;
    }
    m_taken = std::move(taken);
    for (const SegmentPlacement &place : placed)
        copyMacroblocks(*picture, place);
    m_used += static_cast<int>(placed.size());
    return true;
}

void DvSegmentPacker::copyMacroblocks(const AVFrame &picture, const SegmentPlacement &place)
{
    for (int block = 0; block < core::kMacroblocksPerSegment; ++block) {
        const core::PixelRect from = core::DvMacroblockRect(m_nseq, place.sequence, place.segment, block);
        const core::PixelRect to = core::DvMacroblockRect(m_nseq, place.slot, place.segment, block);
        copyRect(picture, *m_pack, 0, from, to);
        for (int plane = 1; plane < 3; ++plane)
            copyRect(picture, *m_pack, plane, chromaRect(from, m_shiftX, m_shiftY), chromaRect(to, m_shiftX, m_shiftY));
    }
}

void DvSegmentPacker::unpack(std::span<const std::uint8_t> packed, std::span<std::uint8_t> frame, int nseq,
                             std::span<const SegmentPlacement> placed)
{
    const std::size_t frameSize = static_cast<std::size_t>(nseq) * core::kDifSequenceSize;
    if (packed.size() < frameSize || frame.size() < frameSize)
        return;
    for (const SegmentPlacement &place : placed)
        for (int block = 0; block < core::kMacroblocksPerSegment; ++block) {
            const std::size_t from = core::DvVideoBlockOffset(place.slot, place.segment, block) + kDifIdSize;
            const std::size_t to = core::DvVideoBlockOffset(place.sequence, place.segment, block) + kDifIdSize;
            std::memcpy(frame.data() + to, packed.data() + from, core::kDifBlockSize - kDifIdSize);
        }
}

} // namespace camlog::media
