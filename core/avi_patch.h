// In-place patches of an AVI header: the video handler code and the video frame rate.
#pragma once

#include "core/four_cc.h"

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

// Writes code at HandlerPos and, for a vids stream, at CompressionPos. False, with nothing
// written, when the handler was not found or the file is read-only (owner without write
// permission) or cannot be opened for writing; the file's size never changes.
bool WriteHandlerCode(const std::string &path, FourCC code);

// dwScale := round(1000000 / fps) (half to even), dwRate := 1000000. False, with nothing
// written, for a rate that is not positive and finite or whose scale does not fit 32 bits,
// and in the cases of WriteHandlerCode.
bool WriteFrameRate(const std::string &path, double fps);

} // namespace camlog::core
