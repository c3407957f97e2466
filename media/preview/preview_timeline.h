// Positions of the preview and the arithmetic of its navigation: frames when the file's frame
// rate is known, media time (100-ns units) otherwise.
#pragma once

#include <cstdint>
#include <vector>

namespace camlog::media {

enum class PreviewTimeFormat { Frames, MediaTime };

// One step of the navigation actions.
enum class PreviewStep { Frame, Second, Minute };

// The slider's range: positions map onto 0..kSliderMaximum.
inline constexpr int kSliderMaximum = 1000;

struct PreviewTimeline {
    PreviewTimeFormat format = PreviewTimeFormat::Frames;
    double frameRate = 0.0; // frames per second; 0 when the file is handled in media time
    std::int64_t begin = 0; // always 0
    std::int64_t end = 0;   // the last position that shows something (last frame, or duration)

    // The timeline of a file of frameCount frames at frameRate, or of a duration in media time
    // when the frame rate is 0 or there are no frames.
    static PreviewTimeline ForFile(double frameRate, std::int64_t frameCount, std::int64_t duration);

    std::int64_t clamp(std::int64_t position) const;
    // The position `direction` (+1 or -1) steps away: in frames, 1, the rate and 60 × the rate
    // rounded to the nearest whole frame; in media time, 0.04 s, 1 s and 60 s. Clamped.
    std::int64_t step(std::int64_t from, PreviewStep step, int direction) const;
    // The slider's value for a position, and the position a slider value stands for.
    int sliderValue(std::int64_t position) const;
    std::int64_t positionOfSlider(int value) const;
    // Media time (100-ns units) of a position, and the position at a media time (clamped).
    std::int64_t mediaTime(std::int64_t position) const;
    std::int64_t positionAt(std::int64_t mediaTime) const;
};

// The start of the first scene that starts after `frame`, or frameCount when there is none.
std::int64_t NextSceneStart(const std::vector<std::int32_t> &starts, std::int64_t frame, std::int64_t frameCount);
// The start of the last scene that starts before `frame`, or 0 when there is none.
std::int64_t PreviousSceneStart(const std::vector<std::int32_t> &starts, std::int64_t frame);

} // namespace camlog::media
