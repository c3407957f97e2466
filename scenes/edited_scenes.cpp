// The scene list open in the scene editor, as the exports see it.
#include "scenes/edited_scenes.h"

#include <mutex>

namespace camlog::scenes {

namespace {

struct Edited {
    std::mutex mutex;
    std::optional<std::string> path;
    std::vector<TSceneClass> scenes;
};

Edited &edited()
{
    static Edited instance;
    return instance;
}

} // namespace

void PublishEditedScenes(const std::string &videoPath, const std::vector<TSceneClass> &scenes)
{
    std::vector<TSceneClass> copies;
    copies.reserve(scenes.size());
    for (const TSceneClass &scene : scenes) {
        TSceneClass copy = scene;
        copy.thumbnail = BgrPicture{};
        copy.filled = false;
        copies.push_back(std::move(copy));
    }
    Edited &e = edited();
    const std::lock_guard lock(e.mutex);
    e.path = videoPath;
    e.scenes = std::move(copies);
}

void WithdrawEditedScenes()
{
    Edited &e = edited();
    const std::lock_guard lock(e.mutex);
    e.path.reset();
    e.scenes.clear();
}

std::optional<std::vector<TSceneClass>> EditedScenesFor(const std::string &videoPath)
{
    Edited &e = edited();
    const std::lock_guard lock(e.mutex);
    if (!e.path || *e.path != videoPath)
        return std::nullopt;
    return e.scenes;
}

} // namespace camlog::scenes
