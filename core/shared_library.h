// Shared libraries opened on first use with the dynamic loader: the program links forwarders to
// the few functions it calls in a library instead of the library itself, so that runs that never
// call them never map it (nor the libraries it pulls in).
#pragma once

#include "core/expected.h"

#include <string>

namespace camlog::core {

enum class LibraryLoadErrorCode {
    LibraryMissing,  // the library file cannot be opened
    FunctionMissing, // the library has no such function (another version than the one built against)
};

// Opens a library file; opening it again gives the same handle. The handle stays open for as long
// as the process runs.
Expected<void *, LibraryLoadErrorCode> OpenSharedLibrary(const std::string &file);

// A function of a library file.
Expected<void *, LibraryLoadErrorCode> FindLibraryFunction(const std::string &file, const char *name);

// A function of a library file for a forwarder, which has no way to fail: when the function cannot
// be had, the reason goes to standard error, saying what needs it ("FFmpeg", "the office
// exports"), and the process ends with status 1.
void *LibraryFunctionOrQuit(const std::string &file, const char *name, const char *neededFor);

// Ends the process as LibraryFunctionOrQuit does.
[[noreturn]] void QuitWithoutLibrary(const std::string &reason, const char *neededFor);

} // namespace camlog::core
