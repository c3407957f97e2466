// The share-copy commands joined to the processing module's MP4 recipe.
#include "commands/share_copy_bindings.h"

#include "commands/dm_action.h"
#include "commands/graph_bindings.h"
#include "commands/processing_graph.h"
#include "commands/rename_handlers.h"
#include "core/avi_fichier.h"
#include "engine/command_engine.h"
#include "media/reading/datecode_scan.h"
#include "media/sharecopy/share_copy_source.h"
#include "scenes/scn_file.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace camlog::commands {

namespace {

using engine::TGraphCmd;
using engine::TParams;

class ShareCopyBinder : public std::enable_shared_from_this<ShareCopyBinder> {
public:
    ShareCopyBinder(TdmAction &dm, ProcessingGraph &graph) : m_dm(dm), m_graph(graph) {}

    void bindAll()
    {
        bindWholeCopy();
        bindSceneCopies();
    }

private:
    // The plan of one copy from the settings and the file: the srt file's lines, chapter titles
    // in the display format, the encoder's preset and quality.
    media::ShareCopyPlan planFor(const core::TaviFichier &f, const std::string &dest, scenes::FrameRange range) const
    {
        const prefs::Settings settings = m_dm.Settings();
        media::ShareCopyPlan plan;
        plan.source = f.FullPath;
        plan.destination = dest;
        plan.preset = settings.sharePreset.empty() ? "medium" : settings.sharePreset;
        plan.crf = settings.shareCrf;
        plan.captions = CaptionSettingsFor(settings, f);
        plan.chapterTitleFormat = settings.formatAfficherDatecode;
        plan.range = range;
        return plan;
    }

    // Builds the copy; a file that cannot be read or a refused setting fails the file with
    // its reason on the status line. A tape without datecode is copied all the same, and said so.
    std::shared_ptr<engine::MediaSeeking> build(TGraphCmd &cmd, const core::TaviFichier &f,
                                                const media::ShareCopyPlan &plan)
    {
        m_graph.SetEngine(cmd.Engine());
        if (const media::RunResult built = m_graph.Cdm().BuildShareCopy(plan); !built) {
            const std::string reason = built.error().message;
            if (cmd.Engine() != nullptr)
                cmd.Engine()->MessageCommand(reason);
            throw std::runtime_error(reason);
        }
        if (!HasDatecode(f) && cmd.Engine() != nullptr)
            cmd.Engine()->MessageCommand(f.FileName
                                         + " has no datecode: its share copy has no chapters and takes the date "
                                           "of the file as its creation date");
        return m_graph.Seeking();
    }

    void bindWholeCopy()
    {
        TGraphCmd &cmd = m_dm.ShareCopy;
        cmd.Filtergraph = &m_graph;
        cmd.OnBuildGraph = [this, keep = shared_from_this(), &cmd](core::TaviFichier *f, const std::string &dest,
                                                                   const TParams &, int) {
            if (f == nullptr || dest.empty())
                return std::shared_ptr<engine::MediaSeeking>();
            return build(cmd, *f, planFor(*f, dest, {}));
        };
    }

    void bindSceneCopies();

    TdmAction &m_dm;
    ProcessingGraph &m_graph;
    scenes::SceneList m_scenes; // of the file being copied
    std::string m_scenesError;  // why they could not be read
};

// Each file's scenes are read when the file starts; a file without a scn file gets one by
// datecode first.
void ShareCopyBinder::bindSceneCopies()
{
    TGraphCmd &cmd = m_dm.ShareScenes;
    cmd.Filtergraph = &m_graph;
    cmd.OnPrepareFichier = [this, keep = shared_from_this(), &cmd](core::TaviFichier *f, const TParams &) {
        m_scenes.clear();
        m_scenesError.clear();
        cmd.NbPasses = 0;
        if (f == nullptr || f->FrameRate <= 0)
            return;
        const std::string scnPath = scenes::ScnFileName(f->FullPath);
        std::error_code ignored;
        if (!std::filesystem::exists(scnPath, ignored)) {
            if (cmd.Engine() != nullptr)
                cmd.Engine()->MessageCommand("Creating a scn file for " + f->FileName + " by datecode");
            m_scenesError = CreateScnByDatecode(f->FullPath, f->FrameRate);
        }
        scenes::SceneContext context;
        context.frameRate = f->FrameRate;
        if (m_scenesError.empty())
            if (const scenes::ScnReadResult read = scenes::ReadScnFile(scnPath, m_scenes, context); !read.ok())
                m_scenesError = read.message;
        if (!m_scenesError.empty()) {
            // One pass that fails the file with the reason.
            m_scenes.clear();
            cmd.NbPasses = 1;
            return;
        }
        cmd.NbPasses = static_cast<int>(m_scenes.size());
    };
    cmd.OnBuildGraph = [this, keep = shared_from_this(), &cmd](core::TaviFichier *f, const std::string &dest,
                                                               const TParams &, int passe) {
        cmd.Debut = 0;
        cmd.Duree = 0;
        if (f == nullptr || dest.empty() || f->FrameRate <= 0)
            return std::shared_ptr<engine::MediaSeeking>();
        if (passe == 1 && !m_scenesError.empty()) {
            if (cmd.Engine() != nullptr)
                cmd.Engine()->MessageCommand(m_scenesError);
            throw std::runtime_error(m_scenesError);
        }
        if (passe < 1 || static_cast<std::size_t>(passe) > m_scenes.size() || !m_scenes[passe - 1].scene)
            return std::shared_ptr<engine::MediaSeeking>();
        const scenes::TSceneClass &scene = *m_scenes[static_cast<std::size_t>(passe - 1)].scene;
        auto seeking = build(cmd, *f, planFor(*f, dest, {scene.start, scene.end}));
        const auto d = static_cast<std::int64_t>(std::llround(10'000'000.0 / f->FrameRate));
        cmd.Debut = std::int64_t{scene.start} * d;
        cmd.Duree = (std::int64_t{scene.end} - scene.start) * d;
        return seeking;
    };
}

} // namespace

void BindShareCopyCommands(TdmAction &dm, ProcessingGraph &graph)
{
    // The handlers keep the binder alive.
    std::make_shared<ShareCopyBinder>(dm, graph)->bindAll();
}

std::string CreateScnByDatecode(const std::string &videoPath, double frameRate)
{
    auto reader = media::DvFrameReader::open(videoPath);
    if (!reader)
        return reader.error().message;
    scenes::TwriteScene writer(videoPath);
    scenes::SceneContext context;
    context.frameRate = frameRate;
    scenes::Tdv_sceneDetect detector;
    detector.OnScene = [&](const scenes::FrameRecord &start, const scenes::FrameRecord &current) {
        writer.WriteScene(scenes::TSceneClass(start.frameNumber, current.frameNumber, context));
    };
    media::ScanDatecodes(*reader.value(), detector);
    if (writer.recordCount() == 0) {
        writer.discard();
        return videoPath + ": the video holds no frame: there is no scene to write";
    }
    if (!writer.close())
        return writer.errorMessage();
    return {};
}

} // namespace camlog::commands
