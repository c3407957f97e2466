// The macroblocks of the video segments that keep the source frame's own coding.
#include "media/untouched_segments.h"

#include "core/dv_video_segments.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstring>

namespace camlog::media {

namespace {

void fill(std::uint8_t *plane, int linesize, int x, int y, int width, int height)
{
    for (int row = y; row < y + height; ++row)
        std::memset(plane + static_cast<std::ptrdiff_t>(row) * linesize + x, 128, static_cast<std::size_t>(width));
}

} // namespace

void FlattenUntouchedSegments(AVFrame &picture, int nseq, const std::vector<bool> &touched)
{
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
    if (desc == nullptr || picture.width != 720 || picture.height != nseq * 48)
        return;
    const int shiftX = desc->log2_chroma_w;
    const int shiftY = desc->log2_chroma_h;
    for (int sequence = 0; sequence < nseq; ++sequence)
        for (int segment = 0; segment < core::kSegmentsPerSequence; ++segment) {
            const auto index = static_cast<std::size_t>(sequence * core::kSegmentsPerSequence + segment);
            if (index < touched.size() && touched[index])
                continue;
            for (int block = 0; block < core::kMacroblocksPerSegment; ++block) {
                const core::PixelRect m = core::DvMacroblockRect(nseq, sequence, segment, block);
                fill(picture.data[0], picture.linesize[0], m.x, m.y, m.width, m.height);
                for (int plane = 1; plane < 3; ++plane)
                    fill(picture.data[plane], picture.linesize[plane], m.x >> shiftX, m.y >> shiftY,
                         m.width >> shiftX, m.height >> shiftY);
            }
        }
}

} // namespace camlog::media
