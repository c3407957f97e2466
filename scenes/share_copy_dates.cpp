// The dates a share copy carries, gathered during the datecode scan.
#include "scenes/share_copy_dates.h"

#include "core/format.h"
#include "core/text_encoding.h"

#include <algorithm>

namespace camlog::scenes {

ShareCopyDatesCollector::ShareCopyDatesCollector(CaptionStep &captions, std::string titleFormat, core::DateTime shift,
                                                 FrameRange range)
    : m_captions(captions),
      m_titleFormat(std::move(titleFormat)),
      m_shift(shift),
      m_range(range)
{
}

bool ShareCopyDatesCollector::inRange(std::int64_t frame) const
{
    return frame >= m_range.first && (m_range.end < 0 || frame < m_range.end);
}

void ShareCopyDatesCollector::startStreaming()
{
    m_cueMaker = CaptionCues();
    m_cues.clear();
    m_chapters.clear();
    m_firstDatecode.reset();
    m_frames = 0;
    m_captions.startStreaming();
}

void ShareCopyDatesCollector::frame(const FrameRecord &record, const CaptionCallback &onCaption)
{
    m_frames = std::max<std::int64_t>(m_frames, std::int64_t{record.frameNumber} + 1);
    if (!m_firstDatecode && record.datecodeValid && inRange(record.frameNumber))
        m_firstDatecode = record.datecode + m_shift;
    m_captions.frame(record, onCaption);
}

void ShareCopyDatesCollector::stop(const FrameRecord &record, const CaptionCallback &onCaption)
{
    m_frames = std::max<std::int64_t>(m_frames, record.frameNumber);
    m_captions.stop(record, onCaption);
}

void ShareCopyDatesCollector::Scene(const FrameRecord &sceneStart, const FrameRecord &)
{
    if (!sceneStart.datecodeValid)
        return;
    const std::optional<std::string> title = core::FormatDateTimePattern(m_titleFormat, sceneStart.datecode + m_shift);
    if (!title)
        return;
    m_chapters.push_back(DatedChapter{sceneStart.frameNumber, 0, *title});
}

void ShareCopyDatesCollector::Caption(const FrameRecord &record, const std::u16string &line1,
                                      const std::u16string &line2)
{
    if (auto cue = m_cueMaker.Caption(static_cast<std::uint32_t>(record.frameNumber), core::Utf16ToUtf8(line1),
                                      core::Utf16ToUtf8(line2)))
        m_cues.push_back(std::move(*cue));
}

ShareCopyDates ShareCopyDatesCollector::Result() const
{
    const std::int64_t first = std::min(m_range.first, m_frames);
    const std::int64_t end = m_range.end < 0 ? m_frames : std::clamp(m_range.end, first, m_frames);
    ShareCopyDates dates;
    dates.frames = end - first;
    dates.firstDatecode = m_firstDatecode;
    for (const CaptionCue &cue : m_cues) {
        const std::int64_t start = std::max<std::int64_t>(cue.start, first);
        const std::int64_t stop = std::min<std::int64_t>(cue.end, end);
        if (start >= stop)
            continue;
        CaptionCue clipped = cue;
        clipped.start = static_cast<std::uint32_t>(start - first);
        clipped.end = static_cast<std::uint32_t>(stop - first);
        dates.cues.push_back(std::move(clipped));
    }
    for (std::size_t i = 0; i < m_chapters.size(); ++i) {
        // The first chapter also holds whatever comes before it without a datecode.
        const std::int64_t start = i == 0 ? 0 : m_chapters[i].start;
        const std::int64_t stop = i + 1 < m_chapters.size() ? m_chapters[i + 1].start : m_frames;
        const std::int64_t clippedStart = std::max(start, first);
        const std::int64_t clippedStop = std::min(stop, end);
        if (clippedStart >= clippedStop)
            continue;
        dates.chapters.push_back(DatedChapter{clippedStart - first, clippedStop - first, m_chapters[i].title});
    }
    return dates;
}

} // namespace camlog::scenes
