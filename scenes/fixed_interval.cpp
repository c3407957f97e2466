// Scenes of equal duration: the frame spans that cut a video at a fixed interval.
#include "scenes/fixed_interval.h"

#include <charconv>
#include <cmath>

namespace camlog::scenes {

std::int64_t ParseIntervalSeconds(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::int64_t value = 0;
    const char *first = text.data();
    const char *last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last)
        return 0;
    return value;
}

std::int64_t IntervalFrames(std::int64_t seconds, double frameRate)
{
    // nearbyint rounds half to even in the default rounding mode.
    const double frames = std::nearbyint(static_cast<double>(seconds) * frameRate);
    // A negative count would walk backwards forever; NaN and huge values are no frame count.
    if (!(frames >= 1.0) || !(frames < 9.0e18))
        return 0;
    return static_cast<std::int64_t>(frames);
}

std::vector<FrameSpan> FixedIntervalScenes(std::int64_t frameCount, double frameRate, std::int64_t seconds)
{
    std::vector<FrameSpan> spans;
    const std::int64_t step = IntervalFrames(seconds, frameRate);
    if (step == 0)
        return spans;
    for (std::int64_t start = 0; start < frameCount;) {
        const std::int64_t end = step < frameCount - start ? start + step : frameCount;
        spans.push_back({start, end});
        start = end;
    }
    return spans;
}

} // namespace camlog::scenes
