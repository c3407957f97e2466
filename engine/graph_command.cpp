// The command that lets a media graph play each file through to its end, with progress and abort.
#include "engine/graph_command.h"

#include "core/spoken_duration.h"
#include "engine/command_engine.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <stdexcept>

namespace camlog::engine {

namespace {
// Media times in 100-ns units, scaled into the gauge's 32-bit range.
int gaugeUnits(std::int64_t mediaTime)
{
    const std::int64_t units = mediaTime / 1024;
    return static_cast<int>(std::clamp<std::int64_t>(units, 0, std::numeric_limits<int>::max()));
}

// Stops a graph that was started, whichever way the run of it ends.
class RunningGraph {
public:
    explicit RunningGraph(FilterGraph &graph) : m_graph(graph) { m_graph.Run(); }
    ~RunningGraph()
    {
        try {
            m_graph.Stop();
        } catch (...) {
        }
    }
    RunningGraph(const RunningGraph &) = delete;
    RunningGraph &operator=(const RunningGraph &) = delete;

private:
    FilterGraph &m_graph;
};
} // namespace

void TGraphCmd::tellKept(TCommandEngine &ce, std::int64_t reached, std::int64_t length) const
{
    // The file's name: the message must fit a status bar; the list shows where the file is.
    const std::string text = std::filesystem::path(m_destination).filename().string()
                             + " kept: " + core::FormatMinutesSeconds(std::min(reached, length)) + " of "
                             + core::FormatMinutesSeconds(length);
    ce.MessageCommand(text);
    ce.NoteForRunEnd(text);
}

void TGraphCmd::ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    if (!OnBuildGraph)
        return;
    try {
        sendStartMessage(fichier, ce, passe);
        // A stop keeps the partial output only where it replaces no file (the sources' rule).
        std::error_code ignored;
        const bool newOutput = !m_destination.empty() && !std::filesystem::exists(m_destination, ignored);
        std::shared_ptr<MediaSeeking> seeking = OnBuildGraph(fichier, m_destination, params, passe);
        if (seeking) {
            if (Filtergraph == nullptr)
                throw std::logic_error("graph command without a filter graph");
            // A duration read from the graph holds for this file and pass only.
            const std::int64_t length = Duree != 0 ? Duree : Filtergraph->GetDuration();
            // Nothing to run would write nothing, which is no success.
            if (length <= 0) {
                ce.MessageCommand("the source gives no duration: nothing was written");
                throw std::runtime_error("the source gives no duration");
            }
            Filtergraph->SetNoSyncSource();
            ce.StartProgress(gaugeUnits(length));
            bool stopped = false;
            {
                // A completion left over from an earlier graph must not end this one.
                ce.ResetGraphEvent();
                RunningGraph running(*Filtergraph);
                for (;;) {
                    if (ce.Aborted()) {
                        stopped = true;
                        break;
                    }
                    ce.SetProgress(gaugeUnits(seeking->GetCurrentPosition() - Debut));
                    if (ce.WaitGraph(kPollMs))
                        break;
                }
                ce.EndProgress();
            }
            if (const auto failure = Filtergraph->Failure()) {
                if (!failure->empty())
                    ce.MessageCommand(*failure);
                throw std::runtime_error(*failure);
            }
            if (stopped && newOutput && std::filesystem::exists(m_destination, ignored))
                tellKept(ce, seeking->GetCurrentPosition() - Debut, length);
            seeking.reset();
        }
        applyUpdate(ce, m_destination);
    } catch (...) {
        reportFailure(fichier, ce, passe);
    }
}

} // namespace camlog::engine
