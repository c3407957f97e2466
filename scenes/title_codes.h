// The codes of scene titles (%N, %D, ...): a template filled for one scene, and a title turned
// back into a template by putting codes where the scene's values stand.
#pragma once

#include "scenes/scene_class.h"

#include <string>
#include <string_view>

namespace camlog::scenes {

// What the codes say about the video the scenes belong to (its file object's texts).
struct TitleVideo {
    bool active = false;  // a video is active; without one the texts stay as they are
    std::string path;     // full path
    std::string codec;    // %C
    std::string sizeText; // %I: followed by aspectText
    std::string aspectText;
    std::string audioText; // %A
};

// The parts of the path the codes name: the name without folder and extension (%F), the
// extension with its dot (%E, empty when the name has none) and the folder with its trailing
// separator (%P).
struct TitlePathParts {
    std::string name;
    std::string extension;
    std::string folder;
};
TitlePathParts SplitTitlePath(std::string_view path);

// The template with every code replaced by the scene's value, codes matched in any letter case:
// %N number, %F %E %P the video's name, extension and folder, %D the datecode in the display
// format (the scene's own text, "N/A", when it has no datecode), %T the timecode, %C codec, %I
// picture size and aspect, %A audio, %U the duration in the context's duration format. The text
// is read once from left to right, so a value that holds a "%" is never expanded again. Without
// an active video the template is returned unchanged.
std::string ExpandTemplate(std::string_view text, const TSceneClass &scene, const TitleVideo &video,
                           const SceneContext &context);

// The title with the scene's current values replaced by their codes (letter case ignored; empty
// values are left alone): the duration in each of the three duration formats, the datecode
// (display text, "ddddd tt", "dddddd tt"), the name, folder, extension, timecode, codec, picture
// size and audio, in one pass from left to right where the longest value starting at a place
// wins (a number inside a datecode or a duration, the hour 10 of scene 10, stays part of that
// value); then the number where it stands as a whole word (nothing, a blank or a punctuation
// character on each side), and "Scene" followed at once by the number. Without an active video
// the text is returned unchanged.
std::string CompressTitle(std::string_view text, const TSceneClass &scene, const TitleVideo &video,
                          const SceneContext &context);

} // namespace camlog::scenes
