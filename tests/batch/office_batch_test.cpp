// End-to-end: `camlog --batch` cuts a tape of three recordings into scenes and exports them to
// the four office documents; Info-ZIP and LibreOffice read them back.
#include "batch/batch_runner.h"

#include "support/office_reader.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace camlog::test {
namespace {

namespace fs = std::filesystem;

std::size_t picturesIn(const fs::path &package, const std::string &folder)
{
    const auto entries = zipEntries(package);
    return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), [&folder](const ZipEntry &e) {
        return e.name.rfind(folder, 0) == 0 && e.name.size() > 4 && e.name.substr(e.name.size() - 4) == ".jpg";
    }));
}

// The scene rows of a spreadsheet as LibreOffice reads it: the rows after the header row.
std::vector<std::string> sceneRows(const fs::path &document, const fs::path &work, const std::string &header)
{
    const fs::path csv = convertWithLibreOffice(document, "csv:Text - txt - csv (StarCalc):44,34,76", "csv", work);
    EXPECT_FALSE(csv.empty()) << "LibreOffice could not read " << document;
    const auto lines = textLines(csv);
    const auto at = std::find(lines.begin(), lines.end(), header);
    EXPECT_NE(at, lines.end()) << document;
    std::vector<std::string> rows;
    for (auto it = at == lines.end() ? at : at + 1; it != lines.end() && it->rfind(",", 0) == 0; ++it)
        if (*it != ",,,,,,,,")
            rows.push_back(*it);
    return rows;
}

TEST(OfficeBatch, ScenesByDatecodeExportedToTheFourDocuments)
{
    const fs::path root = scratchDir("office_batch");
    const BatchRunner runner(root);
    const fs::path video = root / "tape.avi";
    fs::copy_file(fixturePath("tape_three-type1.avi"), video);

    const BatchResult result = runner.batch({"--yes", "/o=" + video.string(), "/cd", "/xe", "/ec", "/xw", "/ew"});
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char *ending : {".xlsx", ".ods", ".docx", ".odt"}) {
        const fs::path document = root / (std::string("tape") + ending);
        EXPECT_TRUE(fs::exists(document)) << document;
        // The batch mode names the document instead of opening it.
        EXPECT_NE(result.err.find("Document written: " + document.string()), std::string::npos) << result.err;
    }
    EXPECT_EQ(picturesIn(root / "tape.docx", "word/media/"), 3u);
    EXPECT_EQ(picturesIn(root / "tape.odt", "Pictures/"), 3u);

    // One row per recording, each with its own datecode.
    for (const auto &[name, header] :
         {std::pair<std::string, std::string>{"tape.xlsx",
                                              ",Number,Start,End,Duration,Datecode,Timecode,Caption,Subtitle"},
          {"tape.ods", ",Number,Start,End,Duration,Datecode,Timecode,Title,Subtitle"}}) {
        const auto rows = sceneRows(root / name, root / ("work-" + name), header);
        ASSERT_EQ(rows.size(), 3u) << name;
        std::vector<std::string> datecodes;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].rfind("," + std::to_string(i + 1) + ",", 0), 0u) << rows[i];
            EXPECT_EQ(rows[i].find("N/A"), std::string::npos) << rows[i];
            std::vector<std::string> fields;
            std::string field;
            for (const char c : rows[i] + ",") {
                if (c == ',') {
                    fields.push_back(field);
                    field.clear();
                } else {
                    field += c;
                }
            }
            ASSERT_GE(fields.size(), 6u);
            datecodes.push_back(fields[5]);
        }
        std::sort(datecodes.begin(), datecodes.end());
        EXPECT_EQ(std::unique(datecodes.begin(), datecodes.end()), datecodes.end()) << name;
    }

    const fs::path txt = convertWithLibreOffice(root / "tape.odt", "txt:Text (encoded):UTF8", "txt", root / "work-odt");
    ASSERT_FALSE(txt.empty());
    const auto lines = textLines(txt);
    EXPECT_EQ(lines.front(), "tape.avi");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Scene n\xC2\xB0"
                        "3"),
              lines.end());
}

} // namespace
} // namespace camlog::test
