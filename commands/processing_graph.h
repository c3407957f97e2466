// The processing module as the engine's graph commands drive it: the media pipeline presented as
// the engine's filter graph, with its seeking interface and its completion notice.
#pragma once

#include "engine/graph_command.h"
#include "media/pipeline/processing_module.h"

#include <memory>
#include <mutex>
#include <string>

namespace camlog::engine {
class TCommandEngine;
}

namespace camlog::commands {

// One instance serves every graph command, one run at a time. The end of a run, a failure
// included, reaches the engine as GraphComplete; the engine then asks Failure, so it reports a
// failed file with the command's error message instead of taking a half-written file for a
// success.
class ProcessingGraph : public engine::FilterGraph {
public:
    ProcessingGraph();
    ~ProcessingGraph() override;
    ProcessingGraph(const ProcessingGraph &) = delete;
    ProcessingGraph &operator=(const ProcessingGraph &) = delete;

    media::TCdm &Cdm() { return m_cdm; }

    // The engine of the run about to start (the build handler's command's engine).
    void SetEngine(engine::TCommandEngine *engine);
    // The seeking interface of the pipeline, handed back by a successful build.
    std::shared_ptr<engine::MediaSeeking> Seeking();
    // Marks the current run as failed (a writer behind a callback that could not save its file).
    void Fail(const std::string &message);

    std::int64_t GetDuration() override;
    void SetNoSyncSource() override {}
    void Run() override;
    void Stop() override;
    std::optional<std::string> Failure() override;

private:
    class Seeker;
    void completed(const media::PipelineEnd &end);

    media::TCdm m_cdm;
    std::mutex m_mutex;
    engine::TCommandEngine *m_engine = nullptr;
    std::string m_failure;
    bool m_failed = false;
};

} // namespace camlog::commands
