// The thumbnails of a text document, encoded and kept on disk until the package is written.
#include "scenes/office/staged_pictures.h"

namespace camlog::scenes::office {

std::optional<StagedPicture> StagedPictures::add(const BgrPicture &picture, const std::string &baseName)
{
    if (picture.empty() || !m_encoder || !m_folder.ok())
        return std::nullopt;
    const std::optional<EncodedPicture> encoded = m_encoder(picture);
    if (!encoded || encoded->bytes.empty() || encoded->width <= 0 || encoded->height <= 0)
        return std::nullopt;
    StagedPicture staged;
    staged.fileName = baseName + "." + encoded->extension;
    staged.file = m_folder.path() / staged.fileName;
    staged.mediaType = encoded->mediaType;
    staged.width = encoded->width;
    staged.height = encoded->height;
    if (!m_folder.writeFile(staged.fileName, encoded->bytes.data(), encoded->bytes.size()))
        return std::nullopt;
    m_pictures.push_back(staged);
    return staged;
}

} // namespace camlog::scenes::office
