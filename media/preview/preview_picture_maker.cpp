// The picture the preview shows.
#include "media/preview/preview_picture_maker.h"

#include <cstring>

namespace camlog::media {

void PreviewPictureMaker::setInlay(const PreviewInlay &inlay)
{
    m_inlay.SetIncrustRec(inlay.rec);
    m_inlay.SetPosition(inlay.x, inlay.y, inlay.alignment);
    m_inlay.SetShown(inlay.shown);
    m_inlayShown = inlay.shown;
}

bool PreviewPictureMaker::make(AVFrame &picture, const scenes::FrameRecord &record, std::int64_t frameNumber,
                               bool deinterlace, BgrPicture &out)
{
    const int width = picture.width;
    const int height = picture.height;
    if (width != m_width || height != m_height || picture.format != m_format) {
        m_width = width;
        m_height = height;
        m_format = picture.format;
        m_inlayReady =
            m_inlay.StartPictures(width, height, static_cast<AVPixelFormat>(picture.format), m_frameDuration);
        m_bgr.reset(av_frame_alloc());
        if (!m_bgr)
            return false;
        m_bgr->format = AV_PIX_FMT_BGR24;
        m_bgr->width = width;
        m_bgr->height = height;
        if (av_frame_get_buffer(m_bgr.get(), 0) < 0)
            return false;
    }
    if (m_inlayShown && m_inlayReady) {
        SourcePicture source;
        source.record = record;
        source.frameNumber = frameNumber;
        m_inlay.FilterPicture(picture, source);
    }
    m_scaler.reset(sws_getCachedContext(m_scaler.release(), width, height, static_cast<AVPixelFormat>(picture.format),
                                        width, height, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_scaler || !m_bgr)
        return false;
    if (sws_scale(m_scaler.get(), picture.data, picture.linesize, 0, height, m_bgr->data, m_bgr->linesize) != height)
        return false;
    BgrPicture &woven = deinterlace ? m_woven : out;
    woven.resize(width, height);
    const std::size_t rowBytes = static_cast<std::size_t>(3) * static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y)
        std::memcpy(woven.row(y), m_bgr->data[0] + static_cast<std::ptrdiff_t>(y) * m_bgr->linesize[0], rowBytes);
    if (deinterlace)
        DeinterlacePicture(m_woven, out, m_masks);
    return true;
}

} // namespace camlog::media
