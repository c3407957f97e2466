// The loop that every scene export runs for a video.
#include "commands/scene_export_loop.h"

#include "core/avi_fichier.h"
#include "media/decoding/headless_frame_source.h"
#include "scenes/companion_file.h"
#include "scenes/edited_scenes.h"
#include "scenes/scn_file.h"

#include <memory>
#include <stdexcept>

namespace camlog::commands {

namespace {
// Without pictures a scene needs the values of its first frame only: decoding one picture per
// scene would only cost time.
class ValuesOnlySource : public scenes::FrameSource {
public:
    explicit ValuesOnlySource(std::unique_ptr<scenes::FrameSource> inner) : m_inner(std::move(inner)) {}
    bool frameAt(std::int64_t frameIndex, scenes::FrameInfo &out, bool) override
    {
        if (!m_inner) {
            out = scenes::FrameInfo();
            return false;
        }
        return m_inner->frameAt(frameIndex, out, false);
    }

private:
    std::unique_ptr<scenes::FrameSource> m_inner;
};

// A video that cannot be opened still gets its scenes, with "N/A" values and black pictures.
class NoFrames : public scenes::FrameSource {
public:
    bool frameAt(std::int64_t, scenes::FrameInfo &out, bool) override
    {
        out = scenes::FrameInfo();
        return false;
    }
};

std::unique_ptr<scenes::FrameSource> openFrames(const std::string &videoPath, bool withPictures)
{
    auto opened = media::HeadlessFrameSource::open(videoPath);
    std::unique_ptr<scenes::FrameSource> inner;
    if (opened)
        inner = std::move(*opened);
    if (withPictures)
        return inner ? std::move(inner) : std::make_unique<NoFrames>();
    return std::make_unique<ValuesOnlySource>(std::move(inner));
}
} // namespace

bool ExportSceneList(const core::TaviFichier &fichier, const prefs::Settings &settings, bool withPictures,
                     engine::TCommandEngine &ce, const std::function<void()> &begin,
                     const std::function<void(const scenes::TSceneClass &)> &write)
{
    scenes::SceneContext context;
    context.videoLoaded = true;
    context.frameRate = fichier.FrameRate;
    context.datecodeFormat = settings.formatAfficherDatecode;
    context.durationFormat = settings.formatDuree;

    // A scn file read in part would export a list that looks complete: the file fails instead,
    // with the reader's message.
    scenes::SceneList list;
    // The list open in the scene editor counts as the video's list, saved or not.
    if (auto edited = scenes::EditedScenesFor(fichier.FullPath)) {
        for (scenes::TSceneClass &scene : *edited) {
            scenes::SceneItem item;
            item.scene = std::make_unique<scenes::TSceneClass>(std::move(scene));
            item.label = scenes::SceneLabel(*item.scene);
            list.push_back(std::move(item));
        }
    } else {
        const scenes::ScnReadResult read = scenes::ReadScnFile(scenes::ScnFileName(fichier.FullPath), list, context);
        if (!read.ok()) {
            ce.MessageCommand(read.message);
            throw std::runtime_error(read.message);
        }
    }
    begin();

    std::unique_ptr<scenes::FrameSource> source;
    int sceneCount = 0;
    for (const scenes::SceneItem &item : list)
        if (item.scene && !item.errorMarker)
            ++sceneCount;
    if (sceneCount == 0)
        return !ce.Aborted();
    ce.StartProgress(sceneCount);
    int index = 0;
    for (scenes::SceneItem &item : list) {
        if (!item.scene || item.errorMarker)
            continue;
        ce.SetProgress(index++);
        if (ce.Aborted()) {
            ce.EndProgress();
            return false;
        }
        if (!item.scene->filled) {
            if (!source)
                source = openFrames(fichier.FullPath, withPictures);
            scenes::FillSceneDetails(*item.scene, *source, context);
        }
        write(*item.scene);
        item.scene->thumbnail = scenes::BgrPicture{};
    }
    ce.EndProgress();
    return !ce.Aborted();
}

} // namespace camlog::commands
