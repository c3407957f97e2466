// The inlay filter: burns the datecode, the timecode or two personal lines into every picture.
#pragma once

#include "media/inlay/inlay_lines.h"
#include "media/inlay/inlay_overlay.h"
#include "media/inlay/inlay_record.h"
#include "media/inlay/inlay_timing.h"
#include "media/pipeline/picture_filter.h"
#include "scenes/frame_record.h"

#include <cstdint>
#include <string>

namespace camlog::media {

// Draws the record's two lines (filled with the source frame's datecode and timecode) at the
// position and alignment set, permanently or as the timing mode says. The settings are given
// before a run and stay from one run to the next; the previous datecode of the timed modes too.
class Tdv_Superposer : public PictureFilter {
public:
    Tdv_Superposer();

    // Copies the record; with the frame duration known, the display duration in frames follows.
    void SetIncrustRec(const TincrustRec &rec);
    // 0 left, 1 centred, 2 right, 3 centred in the picture.
    void SetAlignment(int alignment) { m_look.alignment = alignment; }
    void SetTimeDifference(double days) { m_rec.timeDifference = days; }
    void SetShown(bool shown) { m_shown = shown; }
    // The timing mode; the countdown starts again, so the inlay shows from now.
    void SetWhen(int mode);
    // X and Y in thousandths of the picture, clamped to 0..1000.
    void SetPosition(int x, int y, int alignment);

    // Pictures of this size and format from now on; frameDuration in 100-ns units (0 unknown).
    // False for a picture format it cannot draw on, or when text cannot be drawn here;
    // StartError() then says which.
    bool StartPictures(int width, int height, AVPixelFormat format, std::int64_t frameDuration) override;
    // Draws on the picture of the source frame, when the inlay shows; returns the box drawn.
    core::PixelRect FilterPicture(AVFrame &picture, const SourcePicture &source) override;
    const std::string &StartError() const { return m_startError; }

    const TincrustRec &IncrustRec() const { return m_rec; }
    const InlayFont &WorkFont() const { return m_look.font; }
    int PositionX() const { return m_look.x; }
    int PositionY() const { return m_look.y; }
    int Alignment() const { return m_look.alignment; }
    int DurationFrames() const { return m_timing.DurationFrames(); }
    int RemainingFrames() const { return m_timing.RemainingFrames(); }
    std::int64_t FrameCounter() const { return m_frameCounter; }
    // Whether the last picture got the inlay, and the lines it got.
    bool LastDrawn() const { return m_lastDrawn; }
    const InlayLines &LastLines() const { return m_lastLines; }
    const InlayOverlay &Overlay() const { return m_overlay; }

private:
    TincrustRec m_rec;
    InlayLook m_look;
    bool m_shown = true;
    InlayTiming m_timing;
    std::int64_t m_frameDuration = 0;
    std::int64_t m_frameCounter = 0;
    InlayOverlay m_overlay;
    bool m_lastDrawn = false;
    InlayLines m_lastLines;
    std::string m_startError;
};

} // namespace camlog::media
