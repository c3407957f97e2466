// When the inlay shows: permanently, or for a number of frames from the start of the stream, of
// each new recording or of each new day.
#pragma once

#include "core/date_time.h"

#include <cstdint>

namespace camlog::media {

class InlayTiming {
public:
    static constexpr int kDefaultDurationFrames = 125;

    // The display duration in frames of frameDuration (100-ns units), rounded to the nearest;
    // a frameDuration of 0 or less keeps the count as it was.
    void SetDuration(int seconds, std::int64_t frameDuration);
    // The countdown starts again: the inlay shows from the next picture on.
    void Restart() { m_remaining = m_durationFrames - 1; }

    // One picture of timing mode `mode` (0 permanent, 1 once, 2 each scene, 3 each day); true
    // when the inlay shows on it. A datecode jump of more than 2 seconds, or back in time,
    // starts a new scene; a change of the day of the month, or a jump of more than one day, a
    // new day. Pictures without datecode count as datecode 0 for the next comparison.
    bool Advance(int mode, bool hasDatecode, core::DateTime datecode);

    int DurationFrames() const { return m_durationFrames; }
    int RemainingFrames() const { return m_remaining; }

private:
    int m_durationFrames = kDefaultDurationFrames;
    int m_remaining = 0;
    core::DateTime m_previous; // kept from one stream to the next
};

} // namespace camlog::media
