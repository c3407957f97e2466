// Frame rate conversion on presentation times: pictures repeated or dropped so that the
// output keeps the source's duration.
#pragma once

#include <cmath>
#include <cstdint>

namespace camlog::media {

// The number of output frames, of `frameDuration` seconds each and starting at 0, whose middle
// falls before `time` (seconds from the start). Output frame n shows the source picture
// current at its middle: a picture starting at t1 and followed by one at t2 fills the frames
// OutputFramesBefore(t2) − OutputFramesBefore(t1), which is 0 for a picture dropped and more
// than 1 for one repeated.
inline std::int64_t OutputFramesBefore(double time, double frameDuration)
{
    const double frames = std::ceil(time / frameDuration - 0.5 - 1e-9);
    return frames > 0 ? static_cast<std::int64_t>(frames) : 0;
}

} // namespace camlog::media
