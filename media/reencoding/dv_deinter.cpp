// The deinterlacer of the NTSC and Pal conversions.
#include "media/reencoding/dv_deinter.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace camlog::media {

bool Tdv_deinter::StartPictures(int width, int height, AVPixelFormat format, std::int64_t)
{
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    if (desc == nullptr || (desc->flags & AV_PIX_FMT_FLAG_PLANAR) == 0 || (desc->flags & AV_PIX_FMT_FLAG_RGB) != 0
        || desc->comp[0].depth != 8 || desc->comp[0].plane != 0 || desc->comp[0].step != 1)
        return false;
    m_masks.resize(width, height);
    return true;
}

core::PixelRect Tdv_deinter::FilterPicture(AVFrame &picture, const SourcePicture &)
{
    DeinterlacePlane(picture.data[0], picture.width, picture.height, picture.linesize[0], m_masks);
    return {0, 0, picture.width, picture.height};
}

} // namespace camlog::media
