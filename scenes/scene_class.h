// One scene of a video (a stretch of frames with caption and picture) and the texts derived from it.
#pragma once

#include "core/date_time.h"
#include "core/format.h"
#include "scenes/frame_source.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace camlog::scenes {

// What the scene texts depend on: the video loaded in the preview and two settings.
struct SceneContext {
    bool videoLoaded = false;
    double frameRate = 0.0; // frames per second of the loaded video
    int pictureWidth = 0;   // picture of the loaded video, in pixels
    int pictureHeight = 0;
    std::string datecodeFormat = "ddddd tt"; // "Format pour Afficher Datecode"
    int durationFormat = 0;                  // "Format Durée": 0, 1 or 2 (anything else reads as 0)
    // Locale texts of the datecode format; the C library's current locale when null.
    const core::DateTimeLocale *locale = nullptr;
};

// Fields keep the record's layout and names; end is exclusive, so the scene has end - start frames.
class TSceneClass {
public:
    // Picture offset 0, not filled, the duration text computed, the thumbnail sized after the
    // loaded video's picture (0 x 0 without one), black.
    TSceneClass(std::int32_t start, std::int32_t end, const SceneContext &context);

    bool filled = false;
    std::int32_t start = 0;
    std::int32_t end = 0;
    core::DateTime datecode;
    std::string datecodeText;
    std::string timecodeText;
    std::string startText;
    std::string endText;
    BgrPicture thumbnail;
    std::int32_t pictureOffset = 0; // representative picture, counted from start
    std::string title;
    std::string subtitle;
    std::int32_t number = 0; // 1-based position in the list
    std::string durationText;

    std::int64_t frameCount() const { return std::int64_t{end} - start; }
};

// A labelled entry of a scene list. The error marker stands for the unreadable part of a scn
// file: it is shown, but it is no scene of the video and is never saved.
struct SceneItem {
    std::string label;
    std::unique_ptr<TSceneClass> scene;
    bool errorMarker = false;
};
using SceneList = std::vector<SceneItem>;

// The largest size with the picture's proportions inside 320 x 240, in integers; 0 x 0 for a
// picture without size.
struct ThumbnailSize {
    int width = 0;
    int height = 0;
};
ThumbnailSize ThumbnailSizeFor(int pictureWidth, int pictureHeight);

// "Scene 3: Beach".
std::string SceneLabel(const TSceneClass &scene);

// "h:mm:ss:ff" of a frame index, hours always shown; "??" without a positive frame rate.
std::string ScenePositionText(std::int64_t frame, double frameRate);

// Duration of n frames after the duration format; "??" for a frame rate of 0, empty without a
// loaded video.
std::string SceneDurationText(std::int64_t frames, const SceneContext &context);

// The picture scaled into the thumbnail (each thumbnail pixel the mean of the pixels it covers);
// a thumbnail without size first takes the thumbnail size of the picture. False, the thumbnail
// unchanged, for a picture without pixels.
bool ScaleThumbnail(const BgrPicture &picture, BgrPicture &thumbnail);

// Datecode, datecode text, timecode text, start and end texts and the thumbnail, from the
// scene's first frame (the picture from start + picture offset); sets filled. Frames the source
// cannot give leave "N/A" texts and a black thumbnail; the result is then false.
bool FillSceneDetails(TSceneClass &scene, FrameSource &source, const SceneContext &context);

} // namespace camlog::scenes
