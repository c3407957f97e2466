// What a run of a command did.
#include "headless/session/run_outcome_text.h"

#include <vector>

namespace camlog::session {

namespace {

std::string Files(int count, std::string_view what)
{
    return std::to_string(count) + (count == 1 ? " file " : " files ") + std::string(what);
}

std::string Joined(const std::vector<std::string> &parts, std::string_view separator)
{
    std::string text;
    for (const std::string &part : parts) {
        if (!text.empty())
            text += separator;
        text += part;
    }
    return text;
}

} // namespace

std::string RunOutcomeText(std::string_view caption, const engine::RunSummary &run, bool tookFiles)
{
    std::vector<std::string> counts;
    if (tookFiles) {
        counts.push_back(Files(run.doneFiles, "done"));
        if (run.stoppedFiles > 0)
            counts.push_back(std::to_string(run.stoppedFiles) + " stopped");
        if (run.skippedFiles > 0)
            counts.push_back(std::to_string(run.skippedFiles) + " skipped");
        if (run.failedFiles > 0)
            counts.push_back(std::to_string(run.failedFiles) + " failed");
    } else if (run.ending == engine::RunEnd::Completed) {
        counts.push_back(run.failedPasses > 0 ? "failed" : "done");
    }
    switch (run.ending) {
    case engine::RunEnd::Completed:
        break;
    case engine::RunEnd::Cancelled:
        counts.push_back("cancelled");
        break;
    case engine::RunEnd::AbortedAll:
        counts.push_back("stopped");
        break;
    case engine::RunEnd::AllError:
    case engine::RunEnd::Failed:
        counts.push_back("failed");
        break;
    }
    std::vector<std::string> parts{std::string(caption) + ": " + Joined(counts, ", ")};
    parts.insert(parts.end(), run.notes.begin(), run.notes.end());
    return Joined(parts, "; ");
}

} // namespace camlog::session
