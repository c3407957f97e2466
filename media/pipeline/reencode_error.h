// The errors of the re-encoding: decoding any AVI, the picture stage, DV encoding and audio.
#pragma once

#include "core/expected.h"

namespace camlog::media {

enum class ReencodeErrorCode {
    CannotOpen,    // the file is missing, unreadable, or not a container FFmpeg reads
    NoStream,      // no stream of the kind asked for (no picture to recompress, no audio to extract)
    NoDecoder,     // FFmpeg has no decoder for the stream's codec, or refused to open it
    DecodeFailed,  // damaged data the decoder gave up on
    Truncated,     // the file ends before the frames its header announces
    PictureFailed, // the scaler refused the picture's format
    EncodeFailed,  // the DV encoder refused its setup or a picture
    AudioFailed,   // the resampler refused its setup or a conversion
    WriteFailed,   // the output could not be written (its writer's message)
    DiskFull,      // no space left for the output (or the file size limit was reached)
};
using ReencodeError = core::Error<ReencodeErrorCode>;

} // namespace camlog::media
