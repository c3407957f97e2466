// When the inlay shows: the countdown of the timed modes.
#include "media/inlay/inlay_timing.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace camlog::media {

namespace {

constexpr double kSceneJumpDays = 2.0 / 86400.0;

int dayOfMonth(core::DateTime value)
{
    const auto fields = value.fields();
    return fields ? fields->day : 0;
}

} // namespace

void InlayTiming::SetDuration(int seconds, std::int64_t frameDuration)
{
    if (frameDuration <= 0)
        return;
    // In floating point, so that a long duration cannot overflow; beyond an int it shows for
    // the whole stream anyway.
    const double frames = std::round(static_cast<double>(seconds) * 10'000'000.0 / static_cast<double>(frameDuration));
    m_durationFrames = frames >= INT_MAX ? INT_MAX : frames <= INT_MIN ? INT_MIN : static_cast<int>(frames);
}

bool InlayTiming::Advance(int mode, bool hasDatecode, core::DateTime datecode)
{
    if (m_remaining > 0)
        --m_remaining;
    if (hasDatecode) {
        const double delta = (datecode - m_previous).days();
        if (mode == 2 && (delta > kSceneJumpDays || delta < 0))
            m_remaining = m_durationFrames;
        if (mode == 3 && (dayOfMonth(datecode) != dayOfMonth(m_previous) || std::abs(delta) > 1.0))
            m_remaining = m_durationFrames;
    }
    m_previous = hasDatecode ? datecode : core::DateTime();
    return mode == 0 || m_remaining > 0;
}

} // namespace camlog::media
