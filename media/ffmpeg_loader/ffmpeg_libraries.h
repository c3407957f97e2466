// FFmpeg's libraries, opened on first use: a run that never decodes, encodes or converts (a
// listing, a datecode scan, a rename) never maps them nor the codec libraries they pull in.
#pragma once

#include "core/expected.h"
#include "core/shared_library.h"

#include <cstdarg>

#include <string>

namespace camlog::media {

enum class FfmpegLibrary { Codec, Format, Util, Scale, Resample, Filter };

// The file name (soname) of each library, of the FFmpeg the program was built against.
const char *FfmpegLibraryFile(FfmpegLibrary library);

// Opens a library file (once; later calls give the same handle).
core::Expected<void *, core::LibraryLoadErrorCode> OpenFfmpegLibrary(FfmpegLibrary library);

// Opens all six libraries: a caller that wants a clear error before a run starts asks here.
core::Expected<bool, core::LibraryLoadErrorCode> LoadFfmpeg();

// The function `name` of the library. When it cannot be had, the process cannot go on (the call
// has no way to fail): the reason goes to standard error and the process ends with status 1.
void *FfmpegEntryPoint(FfmpegLibrary library, const char *name);

// The log callback the program sets before the libraries are loaded is set in them once they are.
using FfmpegLogCallback = void (*)(void *, int, const char *, va_list);
void SetFfmpegLogCallback(FfmpegLogCallback callback);

} // namespace camlog::media
