// How opening a DV file as the source of a recipe fails.
#pragma once

#include "core/expected.h"
#include "media/reading/dv_frame_reader.h"

namespace camlog::media {

enum class SourceErrorCode {
    NotFound,         // no such file
    Unreadable,       // the file exists but cannot be opened or read
    NotDv,            // no DV frame to read: neither a DV AVI file nor raw DV, or no frame at all
    UnsupportedAudio, // an audio stream that is not PCM
    NoAudio,          // nothing to extract: the file carries no sound
    Truncated,        // the file ends before the frames its header or index announces
    NoFrame,          // a DV stream without a single frame
};
using SourceError = core::Error<SourceErrorCode>;

// The source error for a failure of the frame reader.
constexpr SourceErrorCode sourceErrorCode(ReadErrorCode code)
{
    switch (code) {
    case ReadErrorCode::NotFound:
        return SourceErrorCode::NotFound;
    case ReadErrorCode::Unreadable:
        return SourceErrorCode::Unreadable;
    case ReadErrorCode::NotAvi:
    case ReadErrorCode::NoDvStream:
        return SourceErrorCode::NotDv;
    }
    return SourceErrorCode::Unreadable;
}

} // namespace camlog::media
