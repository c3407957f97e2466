// The script reader: the lines of a script file to action calls.
#pragma once

#include "headless/actions/action_call.h"

#include <span>
#include <string>
#include <string_view>

namespace camlog::ui {

enum class ScriptLineKind { Call, Blank, Comment, Unknown };

struct ScriptLine {
    ScriptLineKind kind = ScriptLineKind::Blank;
    ActionCall call; // set for ScriptLineKind::Call
};

// One line: "[+|-|/]word[=parameter]".
// - Blanks around the line, the word and the parameter do not count; an empty line is Blank.
// - A line starting with "#" or ";" is a Comment.
// - A word that names no action makes the line Unknown (it is skipped, like a comment).
// - A toggle action called without prefix takes its mode from the parameter: "true" on,
//   "false" off, "toggle" toggle (any case, quotes ignored); so "showlist=false" hides the list.
// - Double quotes are removed from the parameter; blanks inside them are kept.
ScriptLine ParseScriptLine(std::string_view line);

// Every line in order; Unknown lines are kept with their 1-based line number.
ParsedCalls ParseScriptLines(std::span<const std::string> lines);

} // namespace camlog::ui
