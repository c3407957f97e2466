// Internal: fills a DvFrameReader's sample tables from an AVI's indexes, or from a raw DV file.
#pragma once

#include "media/reading/dv_frame_reader.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace camlog::media {

// Reads the RIFF headers, the OpenDML indexes, the idx1 or the movi lists of the AVI open
// in reader (its descriptor and file size are set; every read goes through readAt so that
// bytesRead counts it). Nothing on success, with the streams, DV stream and index source
// set; an error otherwise.
class AviIndexLoader {
public:
    static std::optional<ReadError> load(DvFrameReader &reader);
};

// Raw DV: one iavs stream whose frames follow each other at fixed offsets.
class RawDvLoader {
public:
    // True when the first bytes of a file are the header block of a DIF sequence 0.
    static bool startsWithDifHeader(const std::uint8_t *head, std::size_t size);
    // head holds the first bytes of the file (fewer when the file is shorter).
    static std::optional<ReadError> load(DvFrameReader &reader, const std::uint8_t *head, std::size_t size);
};

} // namespace camlog::media
