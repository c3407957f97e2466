// What becomes of a recipe's output when its run ends.
#include "media/pipeline/output_policy.h"

namespace camlog::media {

OutputDecision DecideOutput(RunOutcome outcome, bool replacing, StoppedOutput stopped)
{
    switch (outcome) {
    case RunOutcome::Completed:
        return OutputDecision::Finish;
    case RunOutcome::Stopped:
        return stopped == StoppedOutput::KeepUnlessReplacing && !replacing ? OutputDecision::Finish
                                                                           : OutputDecision::Discard;
    case RunOutcome::Failed:
        break;
    }
    return OutputDecision::Discard;
}

OutputPolicy::OutputPolicy(const std::filesystem::path &destination, StoppedOutput stopped) : m_stopped(stopped)
{
    std::error_code ignored;
    m_replacing = std::filesystem::exists(destination, ignored);
}

void OutputPolicy::conclude(const std::function<RunOutcome()> &body, const std::function<void()> &finish,
                            const std::function<void()> &discard) const
{
    try {
        if (decide(body()) == OutputDecision::Finish) {
            finish();
            return;
        }
    } catch (...) {
        discard();
        throw;
    }
    discard();
}

} // namespace camlog::media
