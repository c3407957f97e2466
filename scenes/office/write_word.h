// The scene list as a Word document (.docx): the video's name as title, then a table of four
// scenes a row, each scene as its number above its picture and texts.
#pragma once

#include "scenes/office/encoded_picture.h"
#include "scenes/office/office_texts.h"
#include "scenes/office/scene_document.h"
#include "scenes/office/staged_pictures.h"

#include <filesystem>
#include <string>
#include <vector>

namespace camlog::scenes::office {

// The table has two rows per row of scenes (numbers, then pictures and texts), four columns of
// 120 points; rows do not break across pages and a number keeps with its picture. The page
// footer holds the footer text. Pictures go into the package's word/media folder.
class TWriteWord : public SceneDocument {
public:
    TWriteWord(std::string videoPath, std::filesystem::path destination, OfficeExportInfo info, PictureEncoder encoder);

    void AddScene(const TSceneClass &scene) override;
    bool close() override;
    const std::string &errorMessage() const override { return m_error; }

private:
    struct PendingScene {
        std::string numberCell;
        std::string contentCell;
    };
    void flushRow();
    std::string documentXml() const;
    std::string relationshipsXml() const;
    std::string footerXml() const;

    std::string m_videoPath;
    std::filesystem::path m_destination;
    OfficeExportInfo m_info;
    StagedPictures m_pictures;
    std::vector<PendingScene> m_pending; // the scenes of the row being filled
    std::string m_rows;                  // the table's finished rows
    int m_sceneCount = 0;
    std::string m_error;
};

} // namespace camlog::scenes::office
