// The deinterlacer of the NTSC and Pal conversions: a picture filter that removes the combing
// of interlaced pictures before they are scaled to the other system.
#pragma once

#include "media/pipeline/picture_filter.h"
#include "media/reencoding/deinterlace.h"

namespace camlog::media {

// Works on the luma plane of planar YUV pictures (what the DV decoder gives), with the rule of
// DeinterlacePicture on grey pixels; the chroma planes are left as they are. Pictures in any
// other format are refused at the start.
class Tdv_deinter : public PictureFilter {
public:
    bool StartPictures(int width, int height, AVPixelFormat format, std::int64_t frameDuration) override;
    core::PixelRect FilterPicture(AVFrame &picture, const SourcePicture &source) override;

private:
    DeinterlaceMasks m_masks;
};

} // namespace camlog::media
