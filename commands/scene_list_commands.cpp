// The commands that write a scene list without a media graph.
#include "commands/scene_list_commands.h"

#include "commands/scene_export_loop.h"
#include "core/avi_fichier.h"
#include "scenes/companion_file.h"
#include "scenes/fixed_interval.h"
#include "scenes/scn_file.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>

namespace camlog::commands {

namespace {
// The cause goes to the messages; the command's own error message then names the file.
[[noreturn]] void failWithCause(engine::TCommandEngine &ce, const std::string &cause)
{
    ce.MessageCommand(cause);
    throw std::runtime_error(cause);
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
    // An abort keeps the scn file that was there: a part of the scenes would pass for all.
    if (ce.Aborted()) {
        writer.discard();
        return;
    }
    if (!writer.close())
        failWithCause(ce, writer.errorMessage());
}

void ExporterScenesTexteExecution(const core::TaviFichier &fichier, const std::string &destination,
                                  const prefs::Settings &settings, const scenes::ScnTextExportInfo &info,
                                  engine::TCommandEngine &ce)
{
    // The export file is created only once the scn file has been read whole.
    std::optional<scenes::TWriteScn_text> writer;
    const bool complete = ExportSceneList(
        fichier, settings, false, ce, [&] { writer.emplace(fichier.FullPath, destination, info); },
        [&writer](const scenes::TSceneClass &scene) { writer->WriteSceneLine(scene); });
    // An abort keeps the file that was there: the lines written so far are dropped.
    if (!complete) {
        writer->discard();
        return;
    }
    if (!writer->close())
        failWithCause(ce, writer->errorMessage());
}

} // namespace camlog::commands
