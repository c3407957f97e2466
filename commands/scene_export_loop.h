// The loop that every scene export runs for a video: the scenes of its scn file, filled one by
// one and handed to the writer, with the engine's progress and abort.
#pragma once

#include "engine/command_engine.h"
#include "prefs/settings.h"
#include "scenes/scene_class.h"

#include <functional>
#include <string>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

// Reads the video's scn file, or takes the list open in the scene editor for it (an unreadable
// file fails the file with the reader's message before begin is called), calls begin, then for each scene in order until an abort: reports the step,
// fills the scene's details (the thumbnail only when withPictures: decoding pictures costs time)
// and calls write. A scene's thumbnail is dropped once written, so that the run holds one
// picture at a time. Returns false when an abort stopped the loop before the last scene: the
// caller then drops its document, so that a partial list never replaces a complete one.
[[nodiscard]] bool ExportSceneList(const core::TaviFichier &fichier, const prefs::Settings &settings, bool withPictures,
                                   engine::TCommandEngine &ce, const std::function<void()> &begin,
                                   const std::function<void(const scenes::TSceneClass &)> &write);

} // namespace camlog::commands
