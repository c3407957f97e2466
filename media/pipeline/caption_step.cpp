// The caption step of scene detection: the two inlay text lines of every DV frame, for subtitles.
#include "media/pipeline/caption_step.h"

#include "media/inlay/inlay_lines.h"

namespace camlog::media {

void DatecodeCaptionStep::startStreaming()
{
    m_timing.SetDuration(m_settings.durationSeconds, m_frameDuration);
    m_timing.Restart();
    m_last1.clear();
    m_last2.clear();
}

void DatecodeCaptionStep::frame(const scenes::FrameRecord &record, const CaptionCallback &onCaption)
{
    if (!m_timing.Advance(m_settings.timing, record.datecodeValid, record.datecode)) {
        if (onCaption && (!m_last1.empty() || !m_last2.empty())) {
            onCaption(record, u"", u"");
            m_last1.clear();
            m_last2.clear();
        }
        return;
    }

    const InlayLines lines = ComposeInlayLines(m_settings, record);
    const std::u16string &line1 = lines.line1;
    const std::u16string &line2 = lines.line2;
    if (onCaption && (line1 != m_last1 || line2 != m_last2)) {
        onCaption(record, line1, line2);
        m_last1 = line1;
        m_last2 = line2;
    }
}

void DatecodeCaptionStep::stop(const scenes::FrameRecord &record, const CaptionCallback &onCaption)
{
    if (onCaption && (!m_last1.empty() || !m_last2.empty()))
        onCaption(record, u"", u"");
    m_last1.clear();
    m_last2.clear();
}

} // namespace camlog::media
