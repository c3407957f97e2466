// The thumbnails of a text document, encoded and kept on disk until the package is written, so
// that a long scene list never holds more than one picture in memory.
#pragma once

#include "scenes/office/encoded_picture.h"
#include "scenes/office/staging_folder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace camlog::scenes::office {

struct StagedPicture {
    std::string fileName; // "scene12.jpg"
    std::filesystem::path file;
    std::string mediaType;
    int width = 0; // pixels
    int height = 0;
};

class StagedPictures {
public:
    explicit StagedPictures(PictureEncoder encoder) : m_encoder(std::move(encoder)) {}

    // Encodes the picture and writes it as baseName plus the encoding's extension; nothing when
    // the picture is empty or cannot be encoded or written (the scene then goes without one).
    std::optional<StagedPicture> add(const BgrPicture &picture, const std::string &baseName);
    const std::vector<StagedPicture> &all() const { return m_pictures; }

private:
    PictureEncoder m_encoder;
    StagingFolder m_folder;
    std::vector<StagedPicture> m_pictures;
};

} // namespace camlog::scenes::office
