// A file that a handler could not process: reported to the user with its reason, then raised so
// that the engine counts the file as failed and applies no list update for it.
#pragma once

#include "engine/command_engine.h"

#include <stdexcept>
#include <string>

namespace camlog::commands {

class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// For commands without an error message of their own: shows text as the file's error, then
// raises CommandFailure (the command's catch records the failed file without a second box).
[[noreturn]] inline void FailFile(engine::TCommandEngine &ce, const std::string &text)
{
    ce.ErrorCommand(text, engine::etError);
    throw CommandFailure(text);
}

} // namespace camlog::commands
