// In-place patches of an AVI header: the video handler code and the video frame rate.
#pragma once

#include "core/expected.h"
#include "core/four_cc.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace camlog::core {

// Absolute file offsets of the patchable fields, -1 when not found. Each position is only
// set when the whole field lies inside its chunk and inside the file.
struct AviFieldPositions {
    std::int64_t HandlerPos = -1;     // fccHandler of the last vids or iavs stream header
    std::int64_t ScalePos = -1;       // dwScale of that header; dwRate follows
    std::int64_t CompressionPos = -1; // biCompression of that stream's format, vids only

    bool operator==(const AviFieldPositions &) const = default;
};

// One walk of the header (movi lists are passed with one seek); reads only.
AviFieldPositions LocateFields(const std::string &path);

// The code at HandlerPos; no value when it was not found or could not be read.
std::optional<FourCC> ReadHandlerCode(const std::string &path);

enum class PatchErrorCode {
    NoField,     // the header holds no video stream header with the field, or it lies outside the file
    BadValue,    // a frame rate that is not positive and finite, or whose scale does not fit 32 bits
    CannotWrite, // the file cannot be opened, written or closed
};
// The message says why, without the path: for CannotWrite it is the system's error text.
using PatchError = Error<PatchErrorCode>;

// Writes code at HandlerPos and, for a vids stream, at CompressionPos; returns the count of
// fields written. An error, with nothing written, when the handler was not found, or the file is
// not a regular file, is read-only (owner without write permission: "Permission denied" even
// for a privileged user) or cannot be opened for writing; the file's size never changes.
Expected<std::size_t, PatchErrorCode> WriteHandlerCode(const std::string &path, FourCC code);

// dwScale := round(1000000 / fps) (half to even), dwRate := 1000000. An error, with nothing
// written, for a rate that is not positive and finite or whose scale does not fit 32 bits,
// and in the cases of WriteHandlerCode.
Expected<std::size_t, PatchErrorCode> WriteFrameRate(const std::string &path, double fps);

} // namespace camlog::core
