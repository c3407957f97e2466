// What becomes of a recipe's output when its run ends: kept (finished) or thrown away.
#pragma once

#include <filesystem>
#include <functional>

namespace camlog::media {

// How a run ended.
enum class RunOutcome {
    Completed, // the source was read to its end
    Stopped,   // the user stopped it
    Failed,    // an error ended it
};

enum class OutputDecision {
    Finish,  // the output is completed and takes the destination's name
    Discard, // the output is removed; an existing destination stays as it was
};

// What a stopped run does with what it wrote so far.
enum class StoppedOutput {
    // Finished, so that it plays to its last frame, unless the destination existed when the
    // run began: a complete earlier file is never lost for a shorter one.
    KeepUnlessReplacing,
    // Always removed (an output that is of no use cut short).
    Discard,
};

// Completed → finish; stopped → as `StoppedOutput` says; failed → discard.
OutputDecision DecideOutput(RunOutcome outcome, bool replacing, StoppedOutput stopped);

class OutputPolicy {
public:
    // Notes whether the destination exists now, when the run begins.
    explicit OutputPolicy(const std::filesystem::path &destination,
                          StoppedOutput stopped = StoppedOutput::KeepUnlessReplacing);

    bool replacing() const { return m_replacing; }
    OutputDecision decide(RunOutcome outcome) const { return DecideOutput(outcome, m_replacing, m_stopped); }

    // Runs `body`, which writes the output and says whether it completed or was stopped, then
    // finishes or discards the output as decided. An exception out of `body` or `finish` is a
    // failure: the output is discarded and the exception goes on.
    void conclude(const std::function<RunOutcome()> &body, const std::function<void()> &finish,
                  const std::function<void()> &discard) const;

private:
    bool m_replacing;
    StoppedOutput m_stopped;
};

} // namespace camlog::media
