// A picture encoded for a document package (JPEG or PNG).
#pragma once

#include "scenes/frame_source.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace camlog::scenes::office {

struct EncodedPicture {
    std::vector<std::uint8_t> bytes;
    std::string extension; // "jpg" or "png", without the dot
    std::string mediaType; // "image/jpeg" or "image/png"
    int width = 0;         // pixels
    int height = 0;
};

// Encodes a thumbnail; nothing when it cannot (the scene then goes without picture).
using PictureEncoder = std::function<std::optional<EncodedPicture>(const BgrPicture &)>;

} // namespace camlog::scenes::office
