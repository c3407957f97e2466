// Positions of the preview and the arithmetic of its navigation.
#include "media/preview/preview_timeline.h"

#include <algorithm>
#include <cmath>

namespace camlog::media {

namespace {
constexpr std::int64_t kUnitsPerSecond = 10'000'000;
// Media-time steps of a file without a frame rate: one PAL frame, a second, a minute.
constexpr std::int64_t kMediaStep[] = {400'000, kUnitsPerSecond, 60 * kUnitsPerSecond};
} // namespace

PreviewTimeline PreviewTimeline::ForFile(double frameRate, std::int64_t frameCount, std::int64_t duration)
{
    PreviewTimeline t;
    if (frameRate > 0 && frameCount > 0) {
        t.format = PreviewTimeFormat::Frames;
        t.frameRate = frameRate;
        t.end = frameCount - 1;
    } else {
        t.format = PreviewTimeFormat::MediaTime;
        t.end = std::max<std::int64_t>(0, duration);
    }
    return t;
}

std::int64_t PreviewTimeline::clamp(std::int64_t position) const
{
    return std::clamp(position, begin, std::max(begin, end));
}

std::int64_t PreviewTimeline::step(std::int64_t from, PreviewStep step, int direction) const
{
    const int index = static_cast<int>(step);
    std::int64_t amount = 0;
    if (format == PreviewTimeFormat::MediaTime) {
        amount = kMediaStep[index];
    } else {
        const double frames[] = {1.0, frameRate, 60.0 * frameRate};
        amount = std::llround(frames[index]);
    }
    return clamp(from + direction * amount);
}

int PreviewTimeline::sliderValue(std::int64_t position) const
{
    if (end <= begin)
        return 0;
    const long double share = static_cast<long double>(clamp(position) - begin) / static_cast<long double>(end - begin);
    return static_cast<int>(share * kSliderMaximum);
}

std::int64_t PreviewTimeline::positionOfSlider(int value) const
{
    const long double share = static_cast<long double>(std::clamp(value, 0, kSliderMaximum)) / kSliderMaximum;
    return clamp(begin + static_cast<std::int64_t>(share * static_cast<long double>(end - begin)));
}

std::int64_t PreviewTimeline::mediaTime(std::int64_t position) const
{
    if (format == PreviewTimeFormat::MediaTime)
        return position;
    return std::llround(static_cast<double>(position) * kUnitsPerSecond / frameRate);
}

std::int64_t PreviewTimeline::positionAt(std::int64_t time) const
{
    if (format == PreviewTimeFormat::MediaTime)
        return clamp(time);
    return clamp(static_cast<std::int64_t>(std::floor(static_cast<double>(time) * frameRate / kUnitsPerSecond + 1e-6)));
}

std::int64_t NextSceneStart(const std::vector<std::int32_t> &starts, std::int64_t frame, std::int64_t frameCount)
{
    std::int64_t best = frameCount;
    for (const std::int32_t start : starts)
        if (start > frame)
            best = std::min<std::int64_t>(best, start);
    return best;
}

std::int64_t PreviousSceneStart(const std::vector<std::int32_t> &starts, std::int64_t frame)
{
    std::int64_t best = 0;
    for (const std::int32_t start : starts)
        if (start < frame)
            best = std::max<std::int64_t>(best, start);
    return best;
}

} // namespace camlog::media
