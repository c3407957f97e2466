// The commands that write a scene list without a media graph.
#include "commands/scene_list_commands.h"

#include "core/avi_fichier.h"
#include "media/headless_frame_source.h"
#include "scenes/companion_file.h"
#include "scenes/fixed_interval.h"
#include "scenes/scn_file.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>

namespace camlog::commands {

namespace {
// The text export needs the values of a scene's first frame, never its picture: decoding one
// picture per scene would only cost time.
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

// The cause goes to the messages; the command's own error message then names the file.
[[noreturn]] void failWithCause(engine::TCommandEngine &ce, const std::string &cause)
{
    ce.MessageCommand(cause);
    throw std::runtime_error(cause);
}

std::unique_ptr<scenes::FrameSource> openValues(const std::string &videoPath)
{
    auto opened = media::HeadlessFrameSource::open(videoPath);
    std::unique_ptr<scenes::FrameSource> inner;
    if (opened)
        inner = std::move(*opened);
    return std::make_unique<ValuesOnlySource>(std::move(inner));
}
} // namespace

std::string IntervalParameterProblem(const engine::TParams &params)
{
    const std::string text = params.empty() ? std::string() : params.front();
    if (text.find_first_not_of(" \t") == std::string::npos)
        return "No duration of scenes given (in seconds, for instance 60)";
    const std::int64_t seconds = scenes::ParseIntervalSeconds(text);
    if (seconds < 1 || seconds > std::numeric_limits<std::int32_t>::max())
        return "The duration of scenes \"" + text + "\" is not a whole number of seconds from 1 to "
               + std::to_string(std::numeric_limits<std::int32_t>::max());
    return {};
}

void CreerScnByIntervalleExecution(const core::TaviFichier &fichier, const engine::TParams &params,
                                   engine::TCommandEngine &ce)
{
    const std::int64_t seconds = scenes::ParseIntervalSeconds(params.empty() ? std::string() : params.front());
    const std::vector<scenes::FrameSpan> spans =
        scenes::FixedIntervalScenes(fichier.FrameCount, fichier.FrameRate, seconds);
    // An abort before the first scene leaves the scn file that was there.
    if (spans.empty() || ce.Aborted())
        return;

    scenes::SceneContext context;
    context.frameRate = fichier.FrameRate;
    scenes::TwriteScene writer(fichier.FullPath);
    ce.StartProgress(static_cast<int>(fichier.FrameCount));
    for (const scenes::FrameSpan &span : spans) {
        if (ce.Aborted())
            break;
        ce.SetProgress(static_cast<int>(span.start));
        const scenes::TSceneClass scene(static_cast<std::int32_t>(span.start), static_cast<std::int32_t>(span.end),
                                        context);
        if (!writer.WriteScene(scene))
            break;
    }
    ce.EndProgress();
    if (!writer.close())
        throw std::runtime_error(writer.errorMessage());
}

void ExporterScenesTexteExecution(const core::TaviFichier &fichier, const std::string &destination,
                                  const prefs::Settings &settings, const scenes::ScnTextExportInfo &info,
                                  engine::TCommandEngine &ce)
{
    scenes::SceneContext context;
    context.videoLoaded = true;
    context.frameRate = fichier.FrameRate;
    context.datecodeFormat = settings.formatAfficherDatecode;
    context.durationFormat = settings.formatDuree;

    // A scn file read in part would export a list that looks complete: the file fails instead.
    scenes::SceneList list;
    const scenes::ScnReadResult read = scenes::ReadScnFile(scenes::ScnFileName(fichier.FullPath), list, context);
    if (!read.ok())
        failWithCause(ce, read.message);

    scenes::TWriteScn_text writer(fichier.FullPath, destination, info);
    std::unique_ptr<scenes::FrameSource> source;
    int sceneCount = 0;
    for (const scenes::SceneItem &item : list)
        if (item.scene && !item.errorMarker)
            ++sceneCount;
    if (sceneCount > 0) {
        ce.StartProgress(sceneCount);
        int index = 0;
        for (scenes::SceneItem &item : list) {
            if (!item.scene || item.errorMarker)
                continue;
            ce.SetProgress(index++);
            if (ce.Aborted())
                break;
            if (!item.scene->filled) {
                if (!source)
                    source = openValues(fichier.FullPath);
                scenes::FillSceneDetails(*item.scene, *source, context);
            }
            writer.WriteSceneLine(*item.scene);
        }
        ce.EndProgress();
    }
    if (!writer.close())
        failWithCause(ce, writer.errorMessage());
}

} // namespace camlog::commands
