// What a run of a command did, in one line for the status bar once it has ended.
#pragma once

#include "engine/command_engine.h"

#include <string>
#include <string_view>

namespace camlog::session {

// "Add the datecode: 4 files done, 1 skipped" for a run over files; "Visit the blog: done" for a
// run without files; how it ended when it did not complete ("cancelled", "stopped", "failed"),
// then the run's notes ("…/clip.avi kept: 2 min 39 s of 6 min 00 s"), joined by "; ".
std::string RunOutcomeText(std::string_view caption, const engine::RunSummary &run, bool tookFiles);

} // namespace camlog::session
