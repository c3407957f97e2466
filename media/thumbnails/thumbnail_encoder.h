// Scene thumbnails encoded for office documents: JPEG through QImage, PNG where JPEG is missing.
#pragma once

#include "core/expected.h"
#include "scenes/frame_source.h"
#include "scenes/office/encoded_picture.h"

namespace camlog::media {

enum class ThumbnailErrorCode {
    EmptyPicture, // no picture to encode
    NotEncoded,   // neither JPEG nor PNG could be written
};

// The picture as JPEG of the given quality (0-100); as PNG when Qt has no JPEG writer. Needs no
// QGuiApplication and may run on any thread.
core::Expected<scenes::office::EncodedPicture, ThumbnailErrorCode> EncodeThumbnail(const scenes::BgrPicture &picture,
                                                                                   int quality = 85);

} // namespace camlog::media
