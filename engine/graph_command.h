// The command that lets a media graph play each file through to its end, with progress and abort.
#pragma once

#include "engine/command.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace camlog::engine {

// The seeking interface a build hands back: media times in 100-ns units.
class MediaSeeking {
public:
    virtual ~MediaSeeking() = default;
    virtual std::int64_t GetDuration() = 0;
    virtual std::int64_t GetCurrentPosition() = 0;
};

// The processing module's graph, as a graph command drives it. It calls the engine's
// GraphComplete when a running graph reaches its end.
class FilterGraph {
public:
    virtual ~FilterGraph() = default;
    virtual std::int64_t GetDuration() = 0;
    // Runs without a reference clock, as fast as the stages allow.
    virtual void SetNoSyncSource() = 0;
    virtual void Run() = 0;
    virtual void Stop() = 0;
    // Why the last run failed, once it has ended (a failed run calls GraphComplete as a
    // successful one does); nothing while it runs or after a success.
    virtual std::optional<std::string> Failure() { return std::nullopt; }
};

// Builds the graph for one file and pass; null when there is nothing to run.
using TBuildGraphEvent = std::function<std::shared_ptr<MediaSeeking>(
    core::TaviFichier *fichier, const std::string &wDest, const TParams &params, int passe)>;

class TGraphCmd : public Tcmd {
public:
    void ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;

    FilterGraph *Filtergraph = nullptr;
    TBuildGraphEvent OnBuildGraph;
    // Length of the part to run (0: the whole graph) and where it starts, in 100-ns units; the
    // build handler may set both per file and pass.
    std::int64_t Duree = 0;
    std::int64_t Debut = 0;

    // The interval at which the running graph is polled for progress and abort.
    static constexpr int kPollMs = 200;

private:
    // Says that a stopped run kept its partial output, and how much of the source it holds.
    void tellKept(TCommandEngine &ce, std::int64_t reached, std::int64_t length) const;
};

} // namespace camlog::engine
