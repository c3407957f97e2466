// Pass-through conversions, scene cutting and the scn command against cp, ffmpeg's stream copy,
// dvgrab's scene split and the raw datecode scan, side by side in one run on the same tape.
// Usage: camlog_bench_pipeline TAPE.dv TYPE1.avi TYPE2.avi OUTDIR
#include "commands/dm_action.h"
#include "commands/graph_bindings.h"
#include "commands/processing_graph.h"
#include "commands/shell/shell_services.h"
#include "core/avi_fichier.h"
#include "engine/command_engine.h"
#include "engine/engine_host.h"
#include "engine/engine_list.h"
#include "media/decoding/avi_probe.h"
#include "media/pipeline/processing_module.h"
#include "media/reading/datecode_scan.h"
#include "prefs/current_settings.h"
#include "scenes/scn_file.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace camlog;

namespace {

constexpr int kRounds = 3;

double seconds(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of a few warm rounds; prepare runs before each round, untimed.
double best(const std::function<void()> &work, const std::function<void()> &prepare = {})
{
    double result = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        if (prepare)
            prepare();
        result = std::min(result, seconds(work));
    }
    return result;
}

void shell(const std::string &command)
{
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
}

std::string quoted(const fs::path &path)
{
    return "'" + path.string() + "'";
}

bool runToEnd(media::TCdm &cdm)
{
    std::promise<media::PipelineEnd> done;
    auto future = done.get_future();
    cdm.fg().OnComplete = [&](const media::PipelineEnd &end) {
        done.set_value(end);
    };
    cdm.fg().Run();
    const media::PipelineEnd end = future.get();
    cdm.fg().Stop();
    if (!end.ok())
        std::fprintf(stderr, "run failed: %s\n", end.error().message.c_str());
    return end.ok();
}

// Every scene of the scn file beside source cut into its own file.
void cutScenes(media::TCdm &cdm, const fs::path &source, const fs::path &outDir, bool type2)
{
    scenes::SceneList list;
    scenes::SceneContext context;
    context.frameRate = 25;
    scenes::ReadScnFile(scenes::ScnFileName(source.string()), list, context);
    int p = 0;
    for (const auto &item : list) {
        const fs::path dest = outDir / ("scene_" + std::to_string(++p) + ".avi");
        if (!(type2 ? cdm.BuildCutScenes2(source.string(), dest.string())
                    : cdm.BuildCutScenes1(source.string(), dest.string())))
            return;
        cdm.fg().SetPositions(std::int64_t{item.scene->start} * 400000, std::int64_t{item.scene->end} * 400000);
        runToEnd(cdm);
    }
}

// A host that serves the engine's hand-offs on the worker itself: nothing here shows anything.
class QuietHost : public engine::EngineHost {
public:
    void runOnHostThread(std::function<void()> task) override { task(); }
    void OnStartCommand() override {}
    void OnEndCommand() override { ended.set_value(); }
    void OnStartFichier(core::TaviFichier *, const engine::TParams &, int) override {}
    void OnEndFichier(core::TaviFichier *, const engine::TParams &, int) override {}
    void OnMessageCommand(const std::string &) override {}
    void OnErrorCommand(const std::string &text, engine::TErrorType) override
    {
        std::fprintf(stderr, "error: %s\n", text.c_str());
    }
    void OnStartProgress(int) override {}
    void OnSetProgress(int) override {}
    void OnEndProgress() override {}
    engine::TAnswer AskQuestion(const std::string &, engine::TQuestionButtons) override
    {
        return engine::TAnswer::YesToAll;
    }
    std::promise<void> ended;
};

class OneFileList : public engine::EngineList {
public:
    explicit OneFileList(engine::AviFilePtr file) : m_file(std::move(file)) {}
    engine::AviFilePtr ActiveFile() const override { return m_file; }
    std::vector<engine::AviFilePtr> Files() const override { return {m_file}; }
    std::vector<engine::AviFilePtr> SelectedFiles() const override { return {m_file}; }
    void SetSelected(const core::TaviFichier *, bool) override {}
    void SetEnabled(bool) override {}
    void AddFile(engine::AviFilePtr, bool) override {}
    void RemoveFile(const core::TaviFichier *) override {}
    bool SwapFile(const core::TaviFichier *, engine::AviFilePtr file) override
    {
        m_file = std::move(file);
        return true;
    }
    void ReplaceFile(const core::TaviFichier *, engine::AviFilePtr file) override { m_file = std::move(file); }
    void RefreshActive() override {}
    void RefreshActiveAndCounts() override {}

private:
    engine::AviFilePtr m_file;
};

class NoShell : public commands::ShellServices {
public:
    bool ShowInFolder(const std::string &) override { return true; }
    bool OpenDocument(const std::string &) override { return true; }
    bool SendMailTo(const std::string &, const std::string &, const std::string &) override { return true; }
    bool RecycleFile(const std::string &) override { return false; }
    bool StartProgram(const std::string &, const std::vector<std::string> &) override { return false; }
};

// "Create a scn file by datecode" on one file, through the command engine as the program runs
// it: the program's objects are made beforehand, the run goes from the start of the command to
// its end (the scn file written and the list entry reloaded).
class ScnCommandRig {
public:
    explicit ScnCommandRig(const fs::path &video)
        : m_file(core::TaviFichier::Create(video.string(), context())),
          m_list(m_file)
    {
        commands::BindGraphCommands(m_dm, m_graph);
    }

    void run()
    {
        auto ended = m_host.ended.get_future();
        if (!m_engine.ExecuteCommand(m_dm.CreerScnByDate, {}))
            std::fprintf(stderr, "the scn command did not start\n");
        ended.wait();
    }

private:
    const core::AviFileContext &context()
    {
        m_context.prober = &m_prober;
        return m_context;
    }

    media::AviProber m_prober;
    core::AviFileContext m_context;
    engine::AviFilePtr m_file;
    NoShell m_shell;
    commands::TdmAction m_dm{commands::TdmActionContext{.shell = m_shell, .settings = {}, .closePreview = {}}};
    commands::ProcessingGraph m_graph;
    QuietHost m_host;
    OneFileList m_list;
    engine::TCommandEngine m_engine{m_host, m_list, [this](const std::string &path) {
                                        return engine::AviFilePtr(core::TaviFichier::Create(path, context()));
                                    }};
};

void rawScan(const fs::path &video)
{
    auto reader = media::DvFrameReader::open(video);
    scenes::Tdv_sceneDetect detector;
    int count = 0;
    detector.OnScene = [&](const scenes::FrameRecord &, const scenes::FrameRecord &) {
        ++count;
    };
    media::ScanDatecodes(*reader.value(), detector);
}

// The peak resident size (MB) of a process that does only the given work.
long peakResidentMb(const std::function<void()> &work)
{
    const pid_t child = fork();
    if (child == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss / 1024;
}

void line(const char *what, double ours, const char *peerName, double peer)
{
    std::printf("%-44s %7.3f s   %-28s %7.3f s   ratio %.2f\n", what, ours, peerName, peer, ours / peer);
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s TAPE.dv TYPE1.avi TYPE2.avi OUTDIR\n", argv[0]);
        return 2;
    }
    const fs::path tape = fs::absolute(argv[1]), type1 = fs::absolute(argv[2]), type2 = fs::absolute(argv[3]),
                   out = fs::absolute(argv[4]);
    fs::create_directories(out);
    const fs::path outFile = out / "out.avi";
    const auto clean = [&] {
        fs::remove_all(out);
        fs::create_directories(out);
    };
    media::TCdm cdm;

    const double cp1 = best([&] { shell("cp " + quoted(type1) + " " + quoted(outFile)); }, clean);
    const double cp2 = best([&] { shell("cp " + quoted(type2) + " " + quoted(outFile)); }, clean);
    const double ff1 =
        best([&] { shell("ffmpeg -nostdin -v error -y -i " + quoted(type1) + " -c copy " + quoted(outFile)); }, clean);
    const double ff2 =
        best([&] { shell("ffmpeg -nostdin -v error -y -i " + quoted(type2) + " -c copy " + quoted(outFile)); }, clean);
    const double to2 = best(
        [&] {
            cdm.BuildConvertirDV2(type1.string(), outFile.string());
            runToEnd(cdm);
        },
        clean);
    const double to1 = best(
        [&] {
            cdm.BuildConvertirDV1(type2.string(), outFile.string());
            runToEnd(cdm);
        },
        clean);
    std::printf("Conversions of a 5-minute PAL tape (best of %d, warm cache)\n", kRounds);
    line("type 1 -> type 2 (ConvertirDV2)", to2, "cp of the type 1 file", cp1);
    line("", to2, "ffmpeg -c copy of the type 1", ff1);
    line("type 2 -> type 1 (ConvertirDV1)", to1, "cp of the type 2 file", cp2);
    line("", to1, "ffmpeg -c copy of the type 2", ff2);

    // The scenes of the tape: a scn file beside a copy of the type 1 file, then one file per scene.
    const fs::path work = out.parent_path() / "pipeline-bench-src";
    fs::create_directories(work);
    const fs::path source = work / "tape1.avi";
    fs::copy_file(type1, source, fs::copy_options::overwrite_existing);
    if (cdm.BuildScnByDate(source.string())) {
        auto writer = std::make_shared<scenes::TwriteScene>(source.string());
        scenes::SceneContext context;
        cdm.SceneDetect().OnScene = [&](const scenes::FrameRecord &a, const scenes::FrameRecord &b) {
            writer->WriteScene(scenes::TSceneClass(a.frameNumber, b.frameNumber, context));
        };
        runToEnd(cdm);
        writer->close();
    }
    const double cut = best([&] { cutScenes(cdm, source, out, false); }, clean);
    // dvgrab waits for more input at the end of a file unless told how many frames there are.
    const std::size_t tapeFrames = media::DvFrameReader::open(tape).value()->frameCount();
    const double dvgrab = best(
        [&] {
            shell("cd " + quoted(out) + " && timeout -k 5 300 dvgrab -noavc -input " + quoted(tape)
                  + " -autosplit -format dv1 -size 0 -duration " + std::to_string(tapeFrames)
                  + " scene- >/dev/null 2>&1 </dev/null");
        },
        clean);
    std::printf("\nSplit in scenes (type 1 source)\n");
    line("CutScenes, every scene", cut, "dvgrab -autosplit -format dv1", dvgrab);
    line("", cut, "cp of the type 1 file", cp1);

    std::unique_ptr<ScnCommandRig> rig;
    const double command = best([&] { rig->run(); }, [&] { rig = std::make_unique<ScnCommandRig>(source); });
    rig.reset();
    const double raw = best([&] { rawScan(source); });
    std::printf("\nCreate a scn file by datecode\n");
    line("CreerScnByDate through the engine", command, "raw ScanDatecodes", raw);

    clean();
    const long rss = peakResidentMb([&] {
        media::TCdm local;
        local.BuildConvertirDV2(type1.string(), outFile.string());
        runToEnd(local);
    });
    std::printf("\nPeak resident size of a %.1f GB type 1 -> type 2 conversion: %ld MB\n",
                static_cast<double>(fs::file_size(type1)) / 1e9, rss);
    std::printf("Its output, %.2f GB, read by ffprobe to frame ", static_cast<double>(fs::file_size(outFile)) / 1e9);
    std::fflush(stdout);
    shell("ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "
          + quoted(outFile));
    fs::remove_all(out);
    fs::remove_all(work);
    return 0;
}
