// Binds the graph commands of the command module to the processing module's builds.
#include "commands/graph_bindings.h"

#include "commands/dm_action.h"
#include "commands/inlay_settings.h"
#include "commands/processing_graph.h"
#include "commands/share_copy_bindings.h"
#include "commands/time_difference.h"
#include "core/avi_fichier.h"
#include "core/text_encoding.h"
#include "engine/command_engine.h"
#include "scenes/scn_file.h"
#include "scenes/write_srt.h"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

namespace camlog::commands {

namespace {

using engine::MediaSeeking;
using engine::TGraphCmd;
using engine::TParams;
using SeekingPtr = std::shared_ptr<MediaSeeking>;

// The first five characters of the audio description, trimmed, read as a rate in hertz; 0
// when they are not a number.
int RateFromAudioText(const std::string &audioText)
{
    std::string head = audioText.substr(0, 5);
    const auto first = head.find_first_not_of(' ');
    const auto last = head.find_last_not_of(' ');
    if (first == std::string::npos)
        return 0;
    head = head.substr(first, last - first + 1);
    int rate = 0;
    for (char c : head) {
        if (c < '0' || c > '9')
            return 0;
        rate = rate * 10 + (c - '0');
    }
    return rate;
}

// The system of a file as its probe found it (System 0: 625/50, any other value 525/60).
media::DvSystem FileSystem(const core::TaviFichier &f)
{
    return f.System == 0 ? media::DvSystem::Pal : media::DvSystem::Ntsc;
}

// A build that has nothing to run for this file and pass.
media::RunResult nothingToDo()
{
    return media::RunError{media::RunErrorCode::NothingToDo, {}};
}

// The settings "standard DV" and "Frequence DV" of the recompression: 0 Pal, 1 NTSC; 0 32000,
// 1 44100, 2 48000 Hz (anything else counts as the default).
media::DvSystem RecompressionSystem(int standard)
{
    return standard == 1 ? media::DvSystem::Ntsc : media::DvSystem::Pal;
}

int RecompressionRate(int frequency)
{
    switch (frequency) {
    case 0:
        return 32000;
    case 1:
        return 44100;
    default:
        return 48000;
    }
}

// The frames per second of the file, from its object or, failing that, from the build.
double FrameRateOf(const core::TaviFichier &fichier, media::TCdm &cdm)
{
    if (fichier.FrameRate > 0)
        return fichier.FrameRate;
    return cdm.FrameDuration() > 0 ? 10'000'000.0 / static_cast<double>(cdm.FrameDuration()) : 25.0;
}

class Binder : public std::enable_shared_from_this<Binder> {
public:
    Binder(TdmAction &dm, ProcessingGraph &graph) : m_dm(dm), m_graph(graph), m_cdm(graph.Cdm()) {}

    void bindAll();

private:
    using Build =
        std::function<media::RunResult(const core::TaviFichier &, const std::string &dest, const TParams &, int passe)>;

    // Wraps a build: a build that cannot read or write its files raises its reason (the engine
    // then reports the file with the command's error message); a build with nothing to do
    // hands back no seeking interface.
    void bind(TGraphCmd &cmd, Build build)
    {
        cmd.Filtergraph = &m_graph;
        cmd.OnBuildGraph = [this, keep = shared_from_this(), &cmd,
                            build = std::move(build)](core::TaviFichier *fichier, const std::string &dest,
                                                      const TParams &params, int passe) -> SeekingPtr {
            if (fichier == nullptr)
                return nullptr;
            m_graph.SetEngine(cmd.Engine());
            const media::RunResult built = build(*fichier, dest, params, passe);
            if (built)
                return m_graph.Seeking();
            if (built.error().code != media::RunErrorCode::NothingToDo)
                raise(cmd, built.error().message);
            return nullptr;
        };
    }

    // Tells the reason on the status line, then fails the file.
    [[noreturn]] static void raise(TGraphCmd &cmd, const std::string &reason)
    {
        if (cmd.Engine() != nullptr)
            cmd.Engine()->MessageCommand(reason);
        throw std::runtime_error(reason);
    }

    // A writer fed by a detector: a scan that never ends (a graph that never ran, or stopped
    // before its end) drops what it wrote when the writer goes, keeping the file that was there;
    // only the detector's end puts the file in place.
    template <typename Writer, typename... Args> static std::shared_ptr<Writer> detectorWriter(Args &&...args)
    {
        return std::shared_ptr<Writer>(new Writer(std::forward<Args>(args)...), [](Writer *writer) {
            writer->discard();
            delete writer;
        });
    }

    // The detector's end puts the scn or srt file in place; an aborted scan (status not 0) leaves
    // the file that was there, and a file that cannot be written fails the run. A scan that met
    // no frame has no scene to write: it fails too, keeping the file that was there (a scn file
    // without scenes is no scn file).
    template <typename Writer> std::function<void(int)> finishWriterAtEnd(std::shared_ptr<Writer> writer)
    {
        return [this, keep = shared_from_this(), writer = std::move(writer)](int status) mutable {
            if (!writer)
                return;
            bool empty = false;
            if constexpr (std::is_same_v<Writer, scenes::TwriteScene>)
                empty = writer->recordCount() == 0;
            if (status != 0 || empty)
                writer->discard();
            if (status == 0 && empty)
                m_graph.Fail("the video holds no frame: there is no scene to write");
            else if (status == 0 && !writer->close())
                m_graph.Fail(writer->errorMessage());
            writer.reset();
        };
    }

    void bindConversions();
    void bindHeaderCommands();
    void bindScnByDate();
    void bindScnByContenu();
    void bindSrt();
    void bindCutScenes();
    void bindInlay();

    TdmAction &m_dm;
    ProcessingGraph &m_graph;
    media::TCdm &m_cdm;
    // The scene list of the file being cut, read when that file starts.
    std::shared_ptr<scenes::SceneList> m_cutList = std::make_shared<scenes::SceneList>();
    std::string m_cutReadError; // why the current file's scn file could not be read
};

void Binder::bindAll()
{
    bindConversions();
    bindHeaderCommands();
    bindScnByDate();
    bindScnByContenu();
    bindSrt();
    bindCutScenes();
    bindInlay();
}

void Binder::bindConversions()
{
    bind(m_dm.ConvertirDV2,
         [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &dest, const TParams &, int) {
             return m_cdm.BuildConvertirDV2(f.FullPath, dest);
         });
    bind(m_dm.ConvertirDV1,
         [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &dest, const TParams &, int) {
             return m_cdm.BuildConvertirDV1(f.FullPath, dest);
         });
    bind(m_dm.CorrigerType2,
         [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &dest, const TParams &, int) {
             return m_cdm.BuildCorrigerType2(f.FullPath, dest);
         });
    bind(m_dm.RecompresserDV2,
         [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &dest, const TParams &, int) {
             const prefs::Settings settings = m_dm.Settings();
             return m_cdm.BuildRecompresserDV2(f.FullPath, dest, RecompressionSystem(settings.standardDV),
                                               settings.ratioDV == 1, RecompressionRate(settings.frequenceDV));
         });
    const auto ntscPal = [this, keep = shared_from_this()](media::DvSystem target) {
        return [this, keep = shared_from_this(), target](const core::TaviFichier &f, const std::string &dest,
                                                         const TParams &, int) {
            const prefs::Settings settings = m_dm.Settings();
            const media::RunResult built = f.FileType == 2
                                               ? m_cdm.BuildNtscPal2(f.FullPath, dest, target, settings.deinterlace)
                                               : m_cdm.BuildNtscPal1(f.FullPath, dest, target, settings.deinterlace);
            if (!built)
                return built;
            if (const int rate = RateFromAudioText(f.AudioText); rate > 0)
                m_cdm.SetAcmSampleRate(rate);
            m_cdm.DVheader().CopyHeaders = true;
            m_cdm.DVheader().SetTimeShift(settings.decalageHoraire);
            return media::RunResult{};
        };
    };
    bind(m_dm.ConvertirNTSC, ntscPal(media::DvSystem::Ntsc));
    bind(m_dm.ConvertirPal, ntscPal(media::DvSystem::Pal));
    bind(m_dm.ExtraireAudio,
         [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &dest, const TParams &, int) {
             if (auto built = m_cdm.BuildExtraireAudio(f.FullPath, dest); !built)
                 return built;
             if (const int rate = RateFromAudioText(f.AudioText); rate > 0)
                 m_cdm.SetAcmSampleRate(rate);
             return media::RunResult{};
         });
}

void Binder::bindHeaderCommands()
{
    const auto aspect = [this, keep = shared_from_this()](bool wide) {
        return [this, keep = shared_from_this(), wide](const core::TaviFichier &f, const std::string &dest,
                                                       const TParams &, int) {
            if (auto built = m_cdm.BuildDVheaderGraph(f.FullPath, dest); !built)
                return built;
            media::Tdv_DVheader &filter = m_cdm.DVheader();
            filter.SetTimeShift(0);
            filter.CopyHeaders = false;
            filter.AspectRewrite = true;
            filter.Wide = wide;
            return media::RunResult{};
        };
    };
    bind(m_dm.Convertir16x9, aspect(true));
    bind(m_dm.Convertir4x3, aspect(false));
    bind(m_dm.DecalerHoraire, [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &dest,
                                                                const TParams &params, int) {
        // Without a readable difference there is no destination either.
        if (dest.empty())
            return nothingToDo();
        if (auto built = m_cdm.BuildDVheaderGraph(f.FullPath, dest); !built)
            return built;
        const std::optional<double> shift = params.empty() ? std::nullopt : ParseTimeDifference(params.front());
        m_cdm.DVheader().SetTimeShift(shift.value_or(0.0));
        m_cdm.DVheader().CopyHeaders = false;
        return media::RunResult{};
    });
}

void Binder::bindScnByDate()
{
    bind(m_dm.CreerScnByDate, [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &,
                                                                const TParams &, int) {
        if (auto built = m_cdm.BuildScnByDate(f.FullPath); !built)
            return built;
        auto writer = detectorWriter<scenes::TwriteScene>(f.FullPath);
        scenes::SceneContext context;
        context.frameRate = FrameRateOf(f, m_cdm);
        scenes::Tdv_sceneDetect &detector = m_cdm.SceneDetect();
        detector.OnScene = [writer, context](const scenes::FrameRecord &start, const scenes::FrameRecord &current) {
            writer->WriteScene(scenes::TSceneClass(start.frameNumber, current.frameNumber, context));
        };
        detector.OnFinished = finishWriterAtEnd(writer);
        return media::RunResult{};
    });
}

// Each cut closes the open scene, which is written at once; a cut on the first picture (the
// first picture compared with the last one of the previous run) opens nothing.
void Binder::bindScnByContenu()
{
    bind(m_dm.CreerScnByContenu,
         [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &, const TParams &, int) {
             if (auto built = m_cdm.BuildScnByContenu(f.FullPath); !built)
                 return built;
             auto writer = detectorWriter<scenes::TwriteScene>(f.FullPath);
             scenes::SceneContext context;
             context.frameRate = FrameRateOf(f, m_cdm);
             media::TSceneDetectContenu &detector = m_cdm.SceneDetectContenu();
             detector.OnCut = [writer, context, start = std::int64_t{0}](std::int64_t frame) mutable {
                 if (frame <= 0)
                     return;
                 writer->WriteScene(
                     scenes::TSceneClass(static_cast<std::int32_t>(start), static_cast<std::int32_t>(frame), context));
                 start = frame;
             };
             detector.OnFinished = finishWriterAtEnd(writer);
             return media::RunResult{};
         });
}

void Binder::bindSrt()
{
    bind(m_dm.CreerSrt,
         [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &, const TParams &, int) {
             if (auto built = m_cdm.BuildCreerSrt(f.FullPath); !built)
                 return built;
             auto writer = detectorWriter<scenes::TWriteSrt>(f.FullPath, FrameRateOf(f, m_cdm));
             scenes::Tdv_sceneDetect &detector = m_cdm.SceneDetect();
             m_cdm.CaptionStep().SetCaptionSettings(CaptionSettingsFor(m_dm.Settings(), f));
             detector.OnCaption = [writer](const scenes::FrameRecord &record, const std::u16string &line1,
                                           const std::u16string &line2) {
                 writer->WriteCaption(static_cast<std::uint32_t>(record.frameNumber), line1, line2);
             };
             detector.OnFinished = finishWriterAtEnd(writer);
             return media::RunResult{};
         });
}

void Binder::bindCutScenes()
{
    TGraphCmd &cmd = m_dm.CutScenes;
    // Each file's scene list and pass count are read when the file starts, whatever the answer
    // to the question about its first scene file.
    cmd.OnPrepareFichier = [this, keep = shared_from_this(), &cmd](core::TaviFichier *f, const TParams &) {
        m_cutList->clear();
        m_cutReadError.clear();
        cmd.NbPasses = 0;
        if (f == nullptr || f->FrameRate <= 0)
            return;
        scenes::SceneContext context;
        context.frameRate = f->FrameRate;
        const scenes::ScnReadResult read = scenes::ReadScnFile(scenes::ScnFileName(f->FullPath), *m_cutList, context);
        if (!read.ok()) {
            // One pass that fails the file with the reader's message.
            m_cutList->clear();
            m_cutReadError = read.message;
            cmd.NbPasses = 1;
            return;
        }
        cmd.NbPasses = static_cast<int>(m_cutList->size());
    };
    bind(cmd, [this, keep = shared_from_this(), &cmd](const core::TaviFichier &f, const std::string &dest,
                                                      const TParams &, int passe) {
        // Every pass of every file starts from nothing.
        cmd.Debut = 0;
        cmd.Duree = 0;
        const double rate = f.FrameRate;
        if (rate <= 0 || dest.empty())
            return nothingToDo();
        if (passe == 1 && !m_cutReadError.empty())
            // Cutting the scenes read before the fault would pass for the whole list.
            raise(cmd, m_cutReadError);
        if (passe < 1 || static_cast<std::size_t>(passe) > m_cutList->size() || !(*m_cutList)[passe - 1].scene)
            return nothingToDo();
        const scenes::TSceneClass &scene = *(*m_cutList)[static_cast<std::size_t>(passe - 1)].scene;
        const auto d = static_cast<std::int64_t>(std::llround(10'000'000.0 / rate));
        const std::int64_t start = static_cast<std::int64_t>(scene.start) * d;
        const std::int64_t stop = static_cast<std::int64_t>(scene.end) * d;
        const media::RunResult built =
            f.FileType == 2 ? m_cdm.BuildCutScenes2(f.FullPath, dest) : m_cdm.BuildCutScenes1(f.FullPath, dest);
        if (!built)
            return built;
        cmd.Debut = start;
        cmd.Duree = stop - start;
        m_cdm.fg().SetPositions(start, stop);
        return media::RunResult{};
    });
}

// The file being processed counts as the active file: its time difference and, in personal
// templates, its name and properties; the rest of the settings are read as the run finds them.
void Binder::bindInlay()
{
    bind(m_dm.Incruster,
         [this, keep = shared_from_this()](const core::TaviFichier &f, const std::string &dest, const TParams &, int) {
             const media::RunResult built = f.FileType == 2 ? m_cdm.BuildIncruster2(f.FullPath, dest, FileSystem(f))
                                                            : m_cdm.BuildIncruster1(f.FullPath, dest, FileSystem(f));
             if (!built)
                 return built;
             if (const int rate = RateFromAudioText(f.AudioText); rate > 0)
                 m_cdm.SetAcmSampleRate(rate);
             const prefs::Settings settings = m_dm.Settings();
             media::Tdv_Superposer &inlay = m_cdm.Superposer();
             inlay.SetIncrustRec(ApplyInlaySettings(settings, &f));
             inlay.SetPosition(settings.incrustPositionX, settings.incrustPositionY, settings.alignement);
             inlay.SetShown(true);
             return media::RunResult{};
         });
}

} // namespace

void BindGraphCommands(TdmAction &dm, ProcessingGraph &graph)
{
    // The handlers keep the binder alive.
    std::make_shared<Binder>(dm, graph)->bindAll();
    BindShareCopyCommands(dm, graph);
}

media::CaptionSettings CaptionSettingsFor(const prefs::Settings &settings, const core::TaviFichier &fichier)
{
    return ApplyInlaySettings(settings, &fichier);
}

} // namespace camlog::commands
