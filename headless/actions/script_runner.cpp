// The script runner: runs a list of action calls in order, each after the work of the one before,
// and runs script files, nested ones included.
#include "headless/actions/script_runner.h"

#include "headless/actions/script_reader.h"

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
template <typename Undo> class OnExit {
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

void ScriptRunner::RunCalls(std::span<const ActionCall> calls)
{
    start(Frame{std::vector<ActionCall>(calls.begin(), calls.end()), 0, std::nullopt});
}

core::Expected<std::size_t, ScriptError> ScriptRunner::RunScriptFile(const std::filesystem::path &path)
{
    std::vector<std::filesystem::path> running;
    for (const Frame &frame : m_frames)
        if (frame.script)
            running.push_back(*frame.script);
    if (std::any_of(running.begin(), running.end(),
                    [&](const std::filesystem::path &script) { return SameFile(script, path); })) {
        return ScriptFailure{ScriptError::AlreadyRunning,
                             "The script \"" + path.string()
                                 + "\" is not launched: it is running already and would launch itself again ("
                                 + Chain(running, path) + ")."};
    }
    auto lines = ReadScriptLines(path);
    if (!lines)
        return lines.error();
    ParsedCalls parsed = ParseScriptLines(lines.value());
    const std::size_t count = parsed.calls.size();
    start(Frame{std::move(parsed.calls), 0, path});
    return count;
}

void ScriptRunner::start(Frame frame)
{
    if (m_frames.empty()) {
        m_stop = false;
        m_report = RunReport{};
        m_runner.beginRun();
    }
    m_frames.push_back(std::move(frame));
    advance();
}

void ScriptRunner::Continue()
{
    advance();
}

void ScriptRunner::advance()
{
    // A handler that starts calls adds them to the frames; the loop below takes them up.
    if (m_advancing)
        return;
    m_advancing = true;
    const OnExit leave([this] { m_advancing = false; });
    while (!m_frames.empty()) {
        if (m_stop) {
            m_report.stopped = true;
            finish();
            continue; // the end handler may have started another run
        }
        if (m_runner.busy())
            return;
        Frame &frame = m_frames.back();
        if (frame.next == frame.calls.size()) {
            m_frames.pop_back();
            if (m_frames.empty())
                finish();
            continue;
        }
        const ActionCall call = frame.calls[frame.next++];
        if (m_runner.runCall(call) == CallOutcome::Ran)
            ++m_report.ran;
        else
            ++m_report.skipped;
    }
}

void ScriptRunner::finish()
{
    m_frames.clear();
    const RunReport report = m_report;
    m_runner.endRun(report);
}

} // namespace camlog::ui
