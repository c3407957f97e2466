// Reading a script file into text lines, with the failures a script launch can meet.
#pragma once

#include "core/expected.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace camlog::ui {

enum class ScriptError {
    Missing,        // no file at that path
    NotAFile,       // a folder, a device, a pipe...
    Unreadable,     // the file exists but cannot be read
    TooLarge,       // more than kMaxScriptBytes: not a script someone wrote
    AlreadyRunning, // the script is running already (it would launch itself again)
};
using ScriptFailure = core::Error<ScriptError>;

inline constexpr std::size_t kMaxScriptBytes = 4 * 1024 * 1024;

// The lines of a script, without line ends (CR LF, LF or CR). The text may be UTF-16
// little-endian with its byte-order mark, UTF-8 (with or without the mark), or else
// Windows-1252, as Notepad saves it on Windows; the lines come back as UTF-8.
core::Expected<std::vector<std::string>, ScriptError> ReadScriptLines(const std::filesystem::path &path);

} // namespace camlog::ui
