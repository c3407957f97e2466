// The inlay filter: burns the datecode, the timecode or two personal lines into every picture.
#include "media/inlay/inlay_filter.h"

#include <algorithm>

namespace camlog::media {

Tdv_Superposer::Tdv_Superposer()
{
    // The work font until a record is given.
    m_look.font = {"Arial", -21, 0x00FFFFFF, true, false, false, false};
    m_look.borderSize = m_rec.borderSize;
}

void Tdv_Superposer::SetIncrustRec(const TincrustRec &rec)
{
    m_rec = rec;
    m_timing.SetDuration(rec.durationSeconds, m_frameDuration);
    m_look.font = rec.font;
    m_look.borderSize = rec.borderSize;
}

void Tdv_Superposer::SetWhen(int mode)
{
    m_rec.timing = mode;
    m_timing.Restart();
}

void Tdv_Superposer::SetPosition(int x, int y, int alignment)
{
    m_look.x = std::clamp(x, 0, 1000);
    m_look.y = std::clamp(y, 0, 1000);
    m_look.alignment = alignment;
}

bool Tdv_Superposer::StartPictures(int width, int height, AVPixelFormat format, std::int64_t frameDuration)
{
    m_frameCounter = 0;
    if (m_rec.autoSize)
        m_look.font.size = AutoFontSize(width);
    if (frameDuration > 0) {
        m_frameDuration = frameDuration;
        m_timing.SetDuration(m_rec.durationSeconds, frameDuration);
    }
    m_timing.Restart();
    m_lastDrawn = false;
    const auto started = m_overlay.Start(width, height, format);
    m_startError = started ? std::string() : started.error().message;
    return started.ok();
}

core::PixelRect Tdv_Superposer::FilterPicture(AVFrame &picture, const SourcePicture &source)
{
    const scenes::FrameRecord &frame = source.record;
    ++m_frameCounter;
    const bool timed = m_timing.Advance(m_rec.timing, frame.datecodeValid, frame.datecode);
    m_lastDrawn = m_shown && timed;
    if (!m_lastDrawn)
        return {};
    m_lastLines = ComposeInlayLines(m_rec, frame);
    m_overlay.Prepare(m_lastLines, m_look);
    if (picture.buf[0] != nullptr && av_frame_make_writable(&picture) < 0)
        return {};
    return m_overlay.Blend(picture);
}

} // namespace camlog::media
