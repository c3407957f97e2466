// `camlog --batch [--yes|--no] ARG...`: the command line's action calls run without a window.
#pragma once

#include <span>
#include <string>

namespace camlog::app {

// args: the arguments after "--batch". Returns the exit status: 0 when every call went well,
// 1 when a file failed or an argument named no action, 2 on bad usage.
int RunBatch(std::span<const std::string> args);

} // namespace camlog::app
