// The script runner: runs a list of action calls in order, each to the end of its work, and
// runs script files, nested ones included.
#include "ui/actions/script_runner.h"

#include "ui/actions/script_reader.h"

#include <algorithm>
#include <utility>

namespace camlog::ui {

namespace {

// The same file under another name (a relative path, a symbolic or hard link) counts too.
bool SameFile(const std::filesystem::path &a, const std::filesystem::path &b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(a, b, error);
    return !error && same;
}

std::string Chain(const std::vector<std::filesystem::path> &scripts, const std::filesystem::path &next)
{
    std::string text;
    for (const auto &script : scripts)
        text += "\"" + script.string() + "\" → ";
    return text + "\"" + next.string() + "\"";
}

// Undoes a step of the runner's bookkeeping however the scope is left.
template <typename Undo>
class OnExit {
public:
    explicit OnExit(Undo undo) : m_undo(std::move(undo)) {}
    ~OnExit() { m_undo(); }
    OnExit(const OnExit &) = delete;
    OnExit &operator=(const OnExit &) = delete;

private:
    Undo m_undo;
};

} // namespace

ScriptRunner::ScriptRunner(ActionRunner &runner) : m_runner(runner) {}

RunReport ScriptRunner::RunCalls(std::span<const ActionCall> calls)
{
    if (m_depth == 0) {
        m_stop = false;
        m_runner.beginRun();
    }
    ++m_depth;
    const OnExit leave([this] { --m_depth; });
    RunReport report;
    for (const ActionCall &call : calls) {
        if (m_stop)
            break;
        if (m_runner.runCall(call, m_stop) == CallOutcome::Ran)
            ++report.ran;
        else
            ++report.skipped;
    }
    report.stopped = m_stop;
    return report;
}

core::Expected<RunReport, ScriptError> ScriptRunner::RunScriptFile(const std::filesystem::path &path)
{
    const auto running = std::find_if(m_scripts.begin(), m_scripts.end(),
                                      [&](const std::filesystem::path &script) { return SameFile(script, path); });
    if (running != m_scripts.end()) {
        return ScriptFailure{ScriptError::AlreadyRunning,
                             "The script \"" + path.string() +
                                 "\" is not launched: it is running already and would launch itself again (" +
                                 Chain(m_scripts, path) + ")."};
    }
    auto lines = ReadScriptLines(path);
    if (!lines)
        return lines.error();
    const ParsedCalls parsed = ParseScriptLines(lines.value());

    m_scripts.push_back(path);
    const OnExit leave([this] { m_scripts.pop_back(); });
    return RunCalls(parsed.calls);
}

} // namespace camlog::ui
