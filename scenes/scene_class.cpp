// One scene of a video (a stretch of frames with caption and picture) and the texts derived from it.
#include "scenes/scene_class.h"

#include <cmath>
#include <cstdio>

namespace camlog::scenes {

namespace {

constexpr int kThumbnailMaxWidth = 320;
constexpr int kThumbnailMaxHeight = 240;

bool usableRate(double rate)
{
    return rate > 0.0 && std::isfinite(rate);
}

// Whole seconds and the frames left over, as the position and duration texts split a count.
// Frame counts are far below 2^53, so the doubles are exact before the truncation.
struct SecondsAndFrames {
    long long seconds = 0;
    double rest = 0.0;
};

SecondsAndFrames split(std::int64_t frames, double rate)
{
    const double f = static_cast<double>(frames);
    const double s = std::trunc(f / rate);
    return {static_cast<long long>(s), f - s * rate};
}

// Box filter: every thumbnail pixel averages the picture pixels it covers, so a thumbnail
// of a picture with fine detail does not alias the way a point sample would.
void scaleInto(const BgrPicture &from, BgrPicture &to)
{
    for (int y = 0; y < to.height; ++y) {
        const int y0 = static_cast<int>(std::int64_t{y} * from.height / to.height);
        int y1 = static_cast<int>(std::int64_t{y + 1} * from.height / to.height);
        if (y1 <= y0)
            y1 = y0 + 1;
        std::uint8_t *out = to.row(y);
        for (int x = 0; x < to.width; ++x) {
            const int x0 = static_cast<int>(std::int64_t{x} * from.width / to.width);
            int x1 = static_cast<int>(std::int64_t{x + 1} * from.width / to.width);
            if (x1 <= x0)
                x1 = x0 + 1;
            unsigned sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                const std::uint8_t *in = from.row(sy) + 3 * x0;
                for (int sx = x0; sx < x1; ++sx, in += 3) {
                    sum[0] += in[0];
                    sum[1] += in[1];
                    sum[2] += in[2];
                }
            }
            const unsigned count = static_cast<unsigned>((y1 - y0) * (x1 - x0));
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
        }
    }
}

bool pictureIsSound(const BgrPicture &picture)
{
    return !picture.empty() && picture.stride >= 3 * picture.width
           && picture.pixels.size()
                  >= static_cast<std::size_t>(picture.stride) * static_cast<std::size_t>(picture.height);
}

} // namespace

TSceneClass::TSceneClass(std::int32_t startFrame, std::int32_t endFrame, const SceneContext &context)
    : start(startFrame),
      end(endFrame)
{
    durationText = SceneDurationText(frameCount(), context);
    if (context.videoLoaded) {
        const ThumbnailSize size = ThumbnailSizeFor(context.pictureWidth, context.pictureHeight);
        thumbnail.reset(size.width, size.height);
    }
}

ThumbnailSize ThumbnailSizeFor(int pictureWidth, int pictureHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return {};
    const std::int64_t w = pictureWidth;
    const std::int64_t h = pictureHeight;
    if (kThumbnailMaxWidth * h < kThumbnailMaxHeight * w)
        return {kThumbnailMaxWidth, static_cast<int>(kThumbnailMaxWidth * h / w)};
    return {static_cast<int>(kThumbnailMaxHeight * w / h), kThumbnailMaxHeight};
}

std::string SceneLabel(const TSceneClass &scene)
{
    return "Scene " + std::to_string(scene.number) + ": " + scene.title;
}

std::string ScenePositionText(std::int64_t frame, double frameRate)
{
    if (!usableRate(frameRate))
        return "??";
    const SecondsAndFrames parts = split(frame, frameRate);
    const long long s = parts.seconds;
    const auto r = static_cast<long long>(std::trunc(parts.rest));
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%lld:%.2lld:%.2lld:%.2lld", s / 3600, (s / 60) % 60, s % 60, r);
    return buffer;
}

std::string SceneDurationText(std::int64_t frames, const SceneContext &context)
{
    if (!context.videoLoaded)
        return {};
    if (!usableRate(context.frameRate))
        return "??";
    const SecondsAndFrames parts = split(frames, context.frameRate);
    const long long s = parts.seconds;
    // nearbyint rounds half to even in the default rounding mode.
    const auto r = static_cast<long long>(std::nearbyint(parts.rest));
    const long long h = s / 3600;
    const long long m = (s / 60) % 60;
    const long long sec = s % 60;
    char buffer[128];
    switch (context.durationFormat) {
    case 1:
        if (h > 0)
            std::snprintf(buffer, sizeof buffer, "%lld:%.2lld:%.2lld:%.2lld", h, m, sec, r);
        else if (m > 0)
            std::snprintf(buffer, sizeof buffer, "%.2lld:%.2lld:%.2lld", m, sec, r);
        else
            std::snprintf(buffer, sizeof buffer, "%.2lld:%.2lld", sec, r);
        break;
    case 2:
        if (h > 0)
            std::snprintf(buffer, sizeof buffer, "%lldh %.2lldmn %.2llds %.2lldfr", h, m, sec, r);
        else if (m > 0)
            std::snprintf(buffer, sizeof buffer, "%lldmn %.2llds %.2lldfr", m, sec, r);
        else if (sec > 0)
            std::snprintf(buffer, sizeof buffer, "%llds %.2lldfr", sec, r);
        else
            std::snprintf(buffer, sizeof buffer, "%lldfr", r);
        break;
    default:
        if (h > 0)
            std::snprintf(buffer, sizeof buffer, "%lld:%.2lld:%.2lld.%.2lld", h, m, sec, r);
        else if (m > 0)
            std::snprintf(buffer, sizeof buffer, "%.2lld:%.2lld.%.2lld", m, sec, r);
        else
            std::snprintf(buffer, sizeof buffer, "%.2lld.%.2lld", sec, r);
        break;
    }
    return buffer;
}

bool ScaleThumbnail(const BgrPicture &picture, BgrPicture &thumbnail)
{
    if (!pictureIsSound(picture))
        return false;
    if (thumbnail.empty()) {
        const ThumbnailSize size = ThumbnailSizeFor(picture.width, picture.height);
        thumbnail.reset(size.width, size.height);
    }
    scaleInto(picture, thumbnail);
    return true;
}

bool FillSceneDetails(TSceneClass &scene, FrameSource &source, const SceneContext &context)
{
    const std::int64_t pictureFrame = std::int64_t{scene.start} + scene.pictureOffset;
    const bool pictureFromStart = scene.pictureOffset == 0;

    FrameInfo info;
    bool complete = source.frameAt(scene.start, info, pictureFromStart);

    scene.datecodeText = "N/A";
    if (info.datecodeValid) {
        scene.datecode = info.datecode;
        const auto text = context.locale != nullptr
                              ? core::FormatDateTimePattern(context.datecodeFormat, info.datecode, *context.locale)
                              : core::FormatDateTimePattern(context.datecodeFormat, info.datecode);
        if (text)
            scene.datecodeText = *text;
    }
    scene.timecodeText = info.timecodeValid ? core::FormatTimecodeDots(info.timecode) : "N/A";
    scene.startText = ScenePositionText(scene.start, context.frameRate);
    scene.endText = ScenePositionText(std::int64_t{scene.end} - 1, context.frameRate);

    if (!pictureFromStart) {
        info = FrameInfo{};
        complete = source.frameAt(pictureFrame, info, true) && complete;
    }
    const BgrPicture &picture = info.picture;
    if (pictureIsSound(picture)) {
        if (scene.thumbnail.empty()) {
            const ThumbnailSize size = ThumbnailSizeFor(picture.width, picture.height);
            scene.thumbnail.reset(size.width, size.height);
        }
        scaleInto(picture, scene.thumbnail);
    } else {
        complete = false;
    }
    scene.filled = true;
    return complete;
}

} // namespace camlog::scenes
