// Scenes of equal duration: the frame spans that cut a video at a fixed interval.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace camlog::scenes {

struct FrameSpan {
    std::int64_t start = 0;
    std::int64_t end = 0; // exclusive
    bool operator==(const FrameSpan &) const = default;
};

// The interval parameter as typed: a decimal integer (blanks around it allowed), 0 when the
// text is not one.
std::int64_t ParseIntervalSeconds(std::string_view text);

// Frames per scene: round(seconds * frameRate), half to even; 0 when that is not a positive
// frame count (no seconds, a frame rate of 0, a negative interval).
std::int64_t IntervalFrames(std::int64_t seconds, double frameRate);

// Consecutive spans from frame 0 to frameCount, each IntervalFrames long but the last, which
// ends at frameCount. Empty when the interval is 0 frames or the video has no frames.
std::vector<FrameSpan> FixedIntervalScenes(std::int64_t frameCount, double frameRate, std::int64_t seconds);

} // namespace camlog::scenes
