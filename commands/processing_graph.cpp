// The processing module as the engine's graph commands drive it: the media pipeline presented as
// the engine's filter graph, with its seeking interface and its completion notice.
#include "commands/processing_graph.h"

#include "engine/command_engine.h"

#include <stdexcept>

namespace camlog::commands {

class ProcessingGraph::Seeker : public engine::MediaSeeking {
public:
    explicit Seeker(ProcessingGraph &graph) : m_graph(graph) {}
    std::int64_t GetDuration() override { return m_graph.m_cdm.fg().Duration(); }
    std::int64_t GetCurrentPosition() override { return m_graph.m_cdm.fg().CurrentPosition(); }

private:
    ProcessingGraph &m_graph;
};

ProcessingGraph::ProcessingGraph()
{
    m_cdm.fg().OnComplete = [this](const media::PipelineEnd &end) {
        completed(end);
    };
}

ProcessingGraph::~ProcessingGraph()
{
    m_cdm.fg().Reset();
}

void ProcessingGraph::SetEngine(engine::TCommandEngine *engine)
{
    std::lock_guard lock(m_mutex);
    m_engine = engine;
}

std::shared_ptr<engine::MediaSeeking> ProcessingGraph::Seeking()
{
    return std::make_shared<Seeker>(*this);
}

void ProcessingGraph::Fail(const std::string &message)
{
    std::lock_guard lock(m_mutex);
    if (!m_failed)
        m_failure = message;
    m_failed = true;
}

std::int64_t ProcessingGraph::GetDuration()
{
    return m_cdm.fg().Duration();
}

void ProcessingGraph::Run()
{
    {
        std::lock_guard lock(m_mutex);
        m_failed = false;
        m_failure.clear();
    }
    m_cdm.fg().Run();
}

void ProcessingGraph::Stop()
{
    m_cdm.fg().Stop();
}

void ProcessingGraph::completed(const media::PipelineEnd &end)
{
    engine::TCommandEngine *engine = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (!end && !m_failed) {
            m_failed = true;
            m_failure = end.error().message;
        }
        engine = m_engine;
    }
    if (engine != nullptr)
        engine->GraphComplete();
}

std::optional<std::string> ProcessingGraph::Failure()
{
    std::lock_guard lock(m_mutex);
    if (!m_failed)
        return std::nullopt;
    return m_failure;
}

} // namespace camlog::commands
