// One call of an action by a script line or a command-line word, and lists of them.
#pragma once

#include "headless/actions/action_catalogue.h"

#include <cstddef>
#include <string>
#include <vector>

namespace camlog::ui {

// How a call selects a toggle's state: prefix "+" (on), "-" (off), "/" (toggle), or none.
// "On" switches the feature on, so it selects the state False whose handler does that.
enum class CallMode { On, Off, Toggle, None };

struct ActionCall {
    const ActionDef *action = nullptr;
    CallMode mode = CallMode::None;
    std::string parameter;

    bool operator==(const ActionCall &) const = default;
};

// A word or line that named no action: its position (1-based argument index or line number)
// and its text, so that the batch mode can say what it skipped.
struct IgnoredWord {
    std::size_t position = 0;
    std::string text;

    bool operator==(const IgnoredWord &) const = default;
};

struct ParsedCalls {
    std::vector<ActionCall> calls;
    std::vector<IgnoredWord> ignored;
};

} // namespace camlog::ui
