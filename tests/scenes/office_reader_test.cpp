// The office documents of a scene list as LibreOffice reads them (headless, a private profile per
// test): the spreadsheets as CSV, the text documents as plain text, the pages as PDF text.
#include "media/thumbnails/thumbnail_encoder.h"
#include "office_test_scenes.h"
#include "scenes/office/write_excel.h"
#include "scenes/office/write_oo_calc.h"
#include "scenes/office/write_oo_writer.h"
#include "scenes/office/write_word.h"
#include "support/office_reader.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace camlog::scenes::office::test {
namespace {

namespace fs = std::filesystem;
using camlog::test::convertWithLibreOffice;
using camlog::test::pdfText;
using camlog::test::textLines;
using scenes::test::FilledScene;
using scenes::test::FixedInfo;

const std::string kTitle = "<&>\"\xC3\xA9";            // <&>"é
const std::string kTitleInCsv = "\"<&>\"\"\xC3\xA9\""; // quoted, its quote doubled
const std::string kVideo = "/video/Tape \xC3\xA9t\xC3\xA9 & co.avi";

std::optional<EncodedPicture> encode(const BgrPicture &picture)
{
    auto encoded = media::EncodeThumbnail(picture);
    if (!encoded)
        return std::nullopt;
    return std::move(encoded).value();
}

void addFiveScenes(SceneDocument &document)
{
    for (int n = 1; n <= 5; ++n)
        document.AddScene(*FilledScene(n, n == 2 ? kTitle : "Title " + std::to_string(n), n == 2 ? "Sub & title" : ""));
    ASSERT_TRUE(document.close()) << document.errorMessage();
}

std::vector<std::string> csvRowsFrom(const std::vector<std::string> &lines, const std::string &header)
{
    const auto at = std::find(lines.begin(), lines.end(), header);
    EXPECT_NE(at, lines.end()) << "no header row " << header;
    return at == lines.end() ? std::vector<std::string>() : std::vector<std::string>(at + 1, lines.end());
}

void expectSceneRows(const std::vector<std::string> &rows)
{
    ASSERT_GE(rows.size(), 5u);
    for (int n = 1; n <= 5; ++n) {
        const int start = (n - 1) * 50;
        const std::string expected = "," + std::to_string(n) + "," + ScenePositionText(start, 25.0) + ","
                                     + ScenePositionText(start + 49, 25.0) + ",02.00,01/05/2024 10:0"
                                     + std::to_string(n) + ":00,00.00.0" + std::to_string(n) + ".00,"
                                     + (n == 2 ? kTitleInCsv + ",Sub & title" : "Title " + std::to_string(n) + ",");
        EXPECT_EQ(rows[static_cast<std::size_t>(n - 1)], expected);
    }
}

TEST(LibreOfficeReads, TheExcelWorkbookHasARowPerSceneAndItsClosingLines)
{
    const fs::path dir = camlog::test::scratchDir("lo_excel");
    const fs::path path = dir / "scenes.xlsx";
    TWriteExcel document(kVideo, path, FixedInfo());
    addFiveScenes(document);

    const fs::path csv = convertWithLibreOffice(path, "csv:Text - txt - csv (StarCalc):44,34,76", "csv", dir);
    ASSERT_FALSE(csv.empty()) << "LibreOffice could not read the workbook";
    const auto lines = textLines(csv);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[3].rfind("/video/tape \xC3\xA9t\xC3\xA9 & co.avi", 0), 0u) << lines[3];
    const auto rows = csvRowsFrom(lines, ",Number,Start,End,Duration,Datecode,Timecode,Caption,Subtitle");
    expectSceneRows(rows);
    ASSERT_GE(rows.size(), 8u);
    EXPECT_EQ(rows[6].rfind("Terminated at Thursday 12 December 2024 at 15:30:45", 0), 0u) << rows[6];
    EXPECT_EQ(rows[7].rfind("Visit my web site https://www.camlog.org/", 0), 0u) << rows[7];

    const fs::path pdf = convertWithLibreOffice(path, "pdf", "pdf", dir);
    ASSERT_FALSE(pdf.empty());
    const std::string pages = pdfText(pdf);
    EXPECT_NE(pages.find("List of scenes of the video file:"), std::string::npos) << pages;
    EXPECT_NE(pages.find("exported by Camlog version 7.0.9 En"), std::string::npos) << pages;
    EXPECT_NE(pages.find("Page 1 sur 1"), std::string::npos) << pages;
}

TEST(LibreOfficeReads, TheCalcSpreadsheetHasARowPerSceneAndTheFooter)
{
    const fs::path dir = camlog::test::scratchDir("lo_calc");
    const fs::path path = dir / "scenes.ods";
    TWriteOoCalc document(kVideo, path, FixedInfo());
    addFiveScenes(document);

    const fs::path csv = convertWithLibreOffice(path, "csv:Text - txt - csv (StarCalc):44,34,76", "csv", dir);
    ASSERT_FALSE(csv.empty()) << "LibreOffice could not read the spreadsheet";
    const auto lines = textLines(csv);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], ",NB:The header and footer of the page contain the name of the file.,,,,,,,");
    EXPECT_EQ(lines[2], ",Visit Ovrand's website,,,,,,,");
    expectSceneRows(csvRowsFrom(lines, ",Number,Start,End,Duration,Datecode,Timecode,Title,Subtitle"));

    // The printed page: the notes are left out, the page header and footer are there.
    const fs::path pdf = convertWithLibreOffice(path, "pdf", "pdf", dir);
    ASSERT_FALSE(pdf.empty());
    const std::string pages = pdfText(pdf);
    EXPECT_EQ(pages.find("NB:The header"), std::string::npos) << pages;
    EXPECT_NE(pages.find("/video/tape \xC3\xA9t\xC3\xA9 & co.avi"), std::string::npos) << pages;
    EXPECT_NE(pages.find("List of scenes of the file"), std::string::npos) << pages;
    EXPECT_NE(pages.find("Realized with Camlog 7.0.9En by Ovrand on Thursday 12 December 2024 at 15:30:45"),
              std::string::npos)
        << pages;
    EXPECT_NE(pages.find("Visit the web site https://www.camlog.org/"), std::string::npos) << pages;
    EXPECT_NE(pages.find("Page 1 on 1"), std::string::npos) << pages;
}

class LibreOfficeReadsText : public ::testing::TestWithParam<bool> {}; // true: Word, false: Writer

TEST_P(LibreOfficeReadsText, TheGridShowsEveryScenesTextsAndTheFooter)
{
    const bool word = GetParam();
    const fs::path dir = camlog::test::scratchDir(word ? "lo_word" : "lo_writer");
    const fs::path path = dir / (word ? "scenes.docx" : "scenes.odt");
    if (word) {
        TWriteWord document(kVideo, path, FixedInfo(), encode);
        addFiveScenes(document);
    } else {
        TWriteOoWriter document(kVideo, path, FixedInfo(), encode);
        addFiveScenes(document);
    }

    const fs::path txt = convertWithLibreOffice(path, "txt:Text (encoded):UTF8", "txt", dir);
    ASSERT_FALSE(txt.empty()) << "LibreOffice could not read the document";
    const auto lines = textLines(txt);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Tape \xC3\xA9t\xC3\xA9 & co.avi");
    auto has = [&lines](const std::string &line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    for (int n = 1; n <= 5; ++n) {
        const int start = (n - 1) * 50;
        EXPECT_TRUE(has("Scene n\xC2\xB0" + std::to_string(n))) << n;
        EXPECT_TRUE(has(ScenePositionText(start, 25.0) + " - " + ScenePositionText(start + 49, 25.0))) << n;
        EXPECT_TRUE(has("01/05/2024 10:0" + std::to_string(n) + ":00")) << n;
        EXPECT_TRUE(has("00.00.0" + std::to_string(n) + ".00")) << n;
    }
    EXPECT_TRUE(has(word ? "Duration  = 02.00" : "Duration = 02.00"));
    EXPECT_TRUE(has(kTitle));
    EXPECT_TRUE(has("Sub & title"));

    const fs::path pdf = convertWithLibreOffice(path, "pdf", "pdf", dir);
    ASSERT_FALSE(pdf.empty());
    const std::string pages = pdfText(pdf);
    EXPECT_NE(pages.find("List of scenes of the file"), std::string::npos) << pages;
    EXPECT_NE(pages.find("/video/Tape \xC3\xA9t\xC3\xA9 & co.avi"), std::string::npos) << pages;
    EXPECT_NE(pages.find("Realized with Camlog 7.0.9En by Ovrand on Thursday 12 December 2024 at 15:30:45"),
              std::string::npos)
        << pages;
    EXPECT_NE(pages.find("Visit the web site https://www.camlog.org/"), std::string::npos) << pages;
    // Five pictures drawn: pdfimages lists them.
    const auto images = camlog::test::runCommand("pdfimages -list '" + pdf.string() + "' 2>/dev/null");
    EXPECT_EQ(camlog::test::occurrences(images.output, " image "), 5u) << images.output;
}

INSTANTIATE_TEST_SUITE_P(WordAndWriter, LibreOfficeReadsText, ::testing::Values(true, false),
                         [](const auto &info) { return std::string(info.param ? "Word" : "Writer"); });

} // namespace
} // namespace camlog::scenes::office::test
