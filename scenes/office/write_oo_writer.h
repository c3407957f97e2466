// The scene list as an OpenDocument text (.odt): the video's name as title, then a grid of four
// scenes a row, each a small framed table with its number, its picture and its texts.
#pragma once

#include "scenes/office/encoded_picture.h"
#include "scenes/office/office_texts.h"
#include "scenes/office/scene_document.h"
#include "scenes/office/staged_pictures.h"

#include <filesystem>
#include <string>
#include <vector>

namespace camlog::scenes::office {

// The grid's rows do not break across pages; the page footer holds the footer text and the page
// numbers. Pictures go into the package's Pictures folder.
class TWriteOoWriter : public SceneDocument {
public:
    TWriteOoWriter(std::string videoPath, std::filesystem::path destination, OfficeExportInfo info,
                   PictureEncoder encoder);

    void AddScene(const TSceneClass &scene) override;
    bool close() override;
    const std::string &errorMessage() const override { return m_error; }

private:
    void flushRow();
    std::string contentXml() const;
    std::string stylesXml() const;

    std::string m_videoPath;
    std::filesystem::path m_destination;
    OfficeExportInfo m_info;
    StagedPictures m_pictures;
    std::vector<std::string> m_pendingCells; // the cells of the row being filled
    std::string m_rows;                      // the grid's finished rows
    int m_sceneCount = 0;
    std::string m_error;
};

} // namespace camlog::scenes::office
