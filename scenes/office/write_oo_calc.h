// The scene list as an OpenDocument spreadsheet (.ods): one row per scene under a coloured
// header row, on a single sheet named after the video.
#pragma once

#include "scenes/office/office_texts.h"
#include "scenes/office/scene_document.h"
#include "scenes/office/spreadsheet_rows.h"

#include <filesystem>
#include <string>

namespace camlog::scenes::office {

// The sheet: three notes in B2 to B4 (not printed; B3 links to the web site), the header row 7
// (Number … Subtitle in B to I), one row per scene from row 8 (every second one grey), borders
// around the table and between its columns, columns as wide as their texts; the path in the
// page header, the footer text and the page numbers in the page footer; landscape A4.
class TWriteOoCalc : public SceneDocument {
public:
    TWriteOoCalc(std::string videoPath, std::filesystem::path destination, OfficeExportInfo info);

    void AddScene(const TSceneClass &scene) override;
    bool close() override;
    const std::string &errorMessage() const override { return m_error; }

private:
    std::string contentXml() const;
    std::string stylesXml() const;

    std::string m_videoPath;
    std::filesystem::path m_destination;
    OfficeExportInfo m_info;
    SpreadsheetRows m_rows;
    std::string m_error;
};

// The sheet name for a video: its file name without extension, with the characters a sheet name
// cannot hold ([ ] * ? : / \) replaced by "_"; "Scenes" when nothing is left.
std::string SheetNameFor(const std::string &videoPath);

} // namespace camlog::scenes::office
