// The dates a share copy carries: subtitle cues, one chapter per recording and the first
// recording's date and time, gathered during the datecode scan of the tape.
#pragma once

#include "core/date_time.h"
#include "scenes/caption_cues.h"
#include "scenes/dv_scene_detect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace camlog::scenes {

// A chapter over frames [start, end), titled by its recording's date and time.
struct DatedChapter {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::string title;

    bool operator==(const DatedChapter &) const = default;
};

// Frame numbers count from the first frame of the range the copy holds.
struct ShareCopyDates {
    std::vector<CaptionCue> cues;
    std::vector<DatedChapter> chapters;
    // The recording date and time of the first frame with a readable datecode (the time
    // difference added); none when no frame of the range has one.
    std::optional<core::DateTime> firstDatecode;
    std::int64_t frames = 0;
};

// Frames [first, end) of the tape; end < 0 runs to the last frame.
struct FrameRange {
    std::int64_t first = 0;
    std::int64_t end = -1;
};

// Hooked into the scene detector as its caption step (forwarding every frame to the caption
// step that makes the lines) and as its OnScene and OnCaption callbacks. A chapter starts at
// every new recording whose first frame has a readable datecode; a stretch without datecode
// belongs to the chapter before it (the first chapter starts at the range's first frame).
class ShareCopyDatesCollector : public CaptionStep {
public:
    // titleFormat: the date-time pattern of the chapter titles; shift: the time difference
    // added to every datecode.
    ShareCopyDatesCollector(CaptionStep &captions, std::string titleFormat, core::DateTime shift, FrameRange range);

    void startStreaming() override;
    void frame(const FrameRecord &record, const CaptionCallback &onCaption) override;
    void stop(const FrameRecord &record, const CaptionCallback &onCaption) override;

    // The detector's callbacks.
    void Scene(const FrameRecord &sceneStart, const FrameRecord &current);
    void Caption(const FrameRecord &record, const std::u16string &line1, const std::u16string &line2);

    // What the range holds, once the scan has ended.
    ShareCopyDates Result() const;

private:
    bool inRange(std::int64_t frame) const;

    CaptionStep &m_captions;
    std::string m_titleFormat;
    core::DateTime m_shift;
    FrameRange m_range;
    CaptionCues m_cueMaker;
    std::vector<CaptionCue> m_cues;
    std::vector<DatedChapter> m_chapters; // starts and titles; ends filled in by Result
    std::optional<core::DateTime> m_firstDatecode;
    std::int64_t m_frames = 0;
};

} // namespace camlog::scenes
