// The command-line reader: program arguments to action calls.
#pragma once

#include "headless/actions/action_call.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace camlog::ui {

// One argument to one call, or nothing when it names no action.
// - Every double quote is removed first, so /o="D:\my clips\a.avi" gives the bare path.
// - "+word", "-word", "/word" call the action of that switch or token with the mode on, off
//   or toggle; "=parameter" after the word gives the call its parameter.
// - A word without prefix is a file: "Open a playlist..." receives the whole argument, except
//   that a video's name (".avi", ".dv", ".dif", any case) goes to "Open..." so that a file
//   manager's "Open with Camlog" opens the video itself.
// - An absolute path starts with "/" too: a "/" argument whose word names no action and
//   holds another "/" (no switch or token does) is read as a file, not as a switch.
// - An empty argument, or a prefix without a word, names nothing.
std::optional<ActionCall> ParseArgument(std::string_view argument);

// Every argument in order (the program name excluded); the ignored ones are kept with their
// 1-based index among the given arguments.
ParsedCalls ParseArguments(std::span<const std::string> arguments);

} // namespace camlog::ui
