// Turns a decoded picture into the picture the preview shows: the inlay drawn by the inlay
// filter (the same drawing as the inlay command's), then 24-bit BGR, deinterlaced on demand.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/inlay/inlay_filter.h"
#include "media/preview/preview_player.h"
#include "media/reencoding/deinterlace.h"

namespace camlog::media {

class PreviewPictureMaker {
public:
    explicit PreviewPictureMaker(std::int64_t frameDuration) : m_frameDuration(frameDuration) {}

    void setInlay(const PreviewInlay &inlay);
    // Fills `out` from the decoded picture (which may be drawn on). False when the picture
    // cannot be converted.
    bool make(AVFrame &picture, const scenes::FrameRecord &record, std::int64_t frameNumber, bool deinterlace,
              BgrPicture &out);

private:
    std::int64_t m_frameDuration;
    Tdv_Superposer m_inlay;
    bool m_inlayShown = false;
    bool m_inlayReady = false; // text can be drawn here (a GUI application exists)
    int m_width = 0;
    int m_height = 0;
    int m_format = -1;
    SwsContextPtr m_scaler;
    AvFramePtr m_bgr;
    BgrPicture m_woven;
    DeinterlaceMasks m_masks;
};

} // namespace camlog::media
