// The scene list open in the scene editor, as the exports see it: while the editor is open, the
// text and office exports of its video work on the list being edited rather than on the scn
// file. The editor publishes a copy after every change; the exports read it from their worker
// thread.
#pragma once

#include "scenes/scene_class.h"

#include <optional>
#include <string>
#include <vector>

namespace camlog::scenes {

// The editor's list of that video (copies without pictures, to be filled again by the reader).
void PublishEditedScenes(const std::string &videoPath, const std::vector<TSceneClass> &scenes);
// The editor closed: the exports read the scn files again.
void WithdrawEditedScenes();
// The list being edited for that video; nothing when the editor is closed or edits another one.
std::optional<std::vector<TSceneClass>> EditedScenesFor(const std::string &videoPath);

} // namespace camlog::scenes
