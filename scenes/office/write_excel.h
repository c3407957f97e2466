// The scene list as an Excel workbook (.xlsx): one row per scene under a coloured header row.
#pragma once

#include "scenes/office/office_texts.h"
#include "scenes/office/scene_document.h"
#include "scenes/office/spreadsheet_rows.h"

#include <filesystem>
#include <string>

namespace camlog::scenes::office {

// The sheet: the video's path in A4, the header row 7 (Number … Subtitle in B to I), one row per
// scene from row 8 (every second one grey), the closing time and the web site two rows below the
// last scene; thin borders around the table and between its columns; the path in the page
// header, the export note and the page numbers in the page footer; landscape.
class TWriteExcel : public SceneDocument {
public:
    TWriteExcel(std::string videoPath, std::filesystem::path destination, OfficeExportInfo info);

    void AddScene(const TSceneClass &scene) override;
    bool close() override;
    const std::string &errorMessage() const override { return m_error; }

private:
    std::string m_videoPath;
    std::filesystem::path m_destination;
    OfficeExportInfo m_info;
    SpreadsheetRows m_rows;
    std::string m_error;
};

} // namespace camlog::scenes::office
