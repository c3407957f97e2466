// The office documents of a scene list as packages: their entries read back with Info-ZIP, their
// XML parts as written, their failures.
#include "media/thumbnails/thumbnail_encoder.h"
#include "office_test_scenes.h"
#include "scenes/office/write_excel.h"
#include "scenes/office/write_oo_calc.h"
#include "scenes/office/write_oo_writer.h"
#include "scenes/office/write_word.h"
#include "scenes/office/xml_text.h"
#include "support/office_reader.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <set>

namespace camlog::scenes::office::test {
namespace {

namespace fs = std::filesystem;
using camlog::test::occurrences;
using camlog::test::zipEntries;
using camlog::test::zipEntryText;
using scenes::test::FilledScene;
using scenes::test::FixedInfo;

std::optional<EncodedPicture> encode(const BgrPicture &picture)
{
    auto encoded = media::EncodeThumbnail(picture);
    if (!encoded)
        return std::nullopt;
    return std::move(encoded).value();
}

enum class Kind { Excel, Calc, Word, Writer };

std::unique_ptr<SceneDocument> makeDocument(Kind kind, const std::string &video, const fs::path &destination)
{
    switch (kind) {
    case Kind::Excel:
        return std::make_unique<TWriteExcel>(video, destination, FixedInfo());
    case Kind::Calc:
        return std::make_unique<TWriteOoCalc>(video, destination, FixedInfo());
    case Kind::Word:
        return std::make_unique<TWriteWord>(video, destination, FixedInfo(), encode);
    case Kind::Writer:
        return std::make_unique<TWriteOoWriter>(video, destination, FixedInfo(), encode);
    }
    return nullptr;
}

std::vector<std::string> names(const std::vector<camlog::test::ZipEntry> &entries)
{
    std::vector<std::string> result;
    for (const auto &entry : entries)
        result.push_back(entry.name);
    return result;
}

TEST(XmlEscaped, EscapesMarkupAndDropsWhatXmlCannotCarry)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"Beach", "Beach"},
        {"<&>\"\xC3\xA9'", "&lt;&amp;&gt;&quot;\xC3\xA9&apos;"},
        {"a\tb\nc\rd", "a\tb\nc\rd"},
        {std::string("bell\x07 nul") + '\0' + "x", "bell nulx"},
        {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
        {"&amp;", "&amp;amp;"},
        // Not characters in XML: U+FFFE, U+FFFF; U+FFFD and U+10000 are.
        {"a\xEF\xBF\xBE\xEF\xBF\xBF"
         "b\xEF\xBF\xBD\xF0\x90\x80\x80",
         "ab\xEF\xBF\xBD\xF0\x90\x80\x80"},
        {"\x0B\x1F\x7F", "\x7F"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(XmlEscaped(c.in), c.out) << c.in;
}

TEST(SheetName, IsTheVideosNameWithoutWhatASheetNameCannotHold)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/video/Holiday.avi", "Holiday"}, {"/video/a[1]*?:b.avi", "a_1____b"}, {"/video/'quoted'.avi", "_quoted_"},
        {"/video/.avi", ".avi"},           {"/video/noext", "noext"},           {"", "Scenes"},
    };
    for (const auto &[path, name] : cases)
        EXPECT_EQ(SheetNameFor(path), name) << path;
}

TEST(OfficeTexts, FooterNamesTheFileTheProgramTheTimeAndTheSite)
{
    const auto lines = FooterLines(FixedInfo(), "/video/Clip.avi");
    EXPECT_EQ(lines[0], "List of scenes of the file  /video/Clip.avi");
    EXPECT_EQ(lines[1].rfind("Realized with Camlog 7.0.9En by Ovrand on ", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find("2024"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("15:30:45"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2], "Visit the web site https://www.camlog.org/");
}

class OfficePackage : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override { dir = camlog::test::scratchDir("office_package"); }
    fs::path write(int scenes, const std::string &name, bool withPictures = true)
    {
        const fs::path destination = dir / name;
        auto document = makeDocument(GetParam(), "/video/Tape & <three>.avi", destination);
        for (int n = 1; n <= scenes; ++n)
            document->AddScene(*FilledScene(n, "Title " + std::to_string(n), "", withPictures));
        EXPECT_TRUE(document->close()) << document->errorMessage();
        return destination;
    }
    fs::path dir;
};

std::string kindName(const ::testing::TestParamInfo<Kind> &info)
{
    const char *const names[] = {"Excel", "Calc", "Word", "Writer"};
    return names[static_cast<int>(info.param)];
}

const char *extensionOf(Kind kind)
{
    switch (kind) {
    case Kind::Excel:
        return ".xlsx";
    case Kind::Calc:
        return ".ods";
    case Kind::Word:
        return ".docx";
    case Kind::Writer:
        return ".odt";
    }
    return "";
}

TEST_P(OfficePackage, AnExistingFileStaysUntilTheDocumentIsComplete)
{
    const fs::path destination = dir / (std::string("clip") + extensionOf(GetParam()));
    {
        std::ofstream(destination) << "old";
    }
    auto document = makeDocument(GetParam(), "/video/clip.avi", destination);
    document->AddScene(*FilledScene(1, "One", ""));
    EXPECT_EQ(camlog::test::readBytes(destination).size(), 3u);
    ASSERT_TRUE(document->close()) << document->errorMessage();
    EXPECT_FALSE(zipEntries(destination).empty());
    // Nothing is left beside it.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST_P(OfficePackage, AFolderThatDoesNotExistGivesAClearErrorAndNoFile)
{
    const fs::path destination = dir / "missing" / (std::string("clip") + extensionOf(GetParam()));
    auto document = makeDocument(GetParam(), "/video/clip.avi", destination);
    document->AddScene(*FilledScene(1, "One", ""));
    EXPECT_FALSE(document->close());
    EXPECT_NE(document->errorMessage().find(destination.parent_path().string()), std::string::npos)
        << document->errorMessage();
    EXPECT_FALSE(fs::exists(destination));
}

// Names and captions may hold what XML cannot carry (valid in a Linux file name and in a scn
// file): every XML part of every document stays well-formed for xmllint, the rest of the texts
// kept.
TEST_P(OfficePackage, EveryXmlPartIsWellFormedWhateverTheNamesHold)
{
    const std::string odd = "\xEF\xBF\xBE\x01\xEF\xBF\xBF\x1B";
    const fs::path destination = dir / (std::string("odd") + extensionOf(GetParam()));
    auto document = makeDocument(GetParam(), "/video/Tape" + odd + "Three.avi", destination);
    document->AddScene(*FilledScene(1, "Beach" + odd + "Day", "Sub" + odd + "title"));
    document->AddScene(*FilledScene(2, odd, odd, false));
    ASSERT_TRUE(document->close()) << document->errorMessage();
    std::string all;
    for (const std::string &name : names(zipEntries(destination))) {
        if (!name.ends_with(".xml") && !name.ends_with(".rels"))
            continue;
        const std::string text = zipEntryText(destination, name);
        const fs::path part = dir / "part.xml";
        std::ofstream(part, std::ios::binary) << text;
        const auto checked = camlog::test::runCommand("xmllint --noout '" + part.string() + "' 2>&1");
        EXPECT_TRUE(checked.ok) << name << " is not well-formed: " << checked.output;
        all += text;
    }
    std::transform(all.begin(), all.end(), all.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char *text : {"beachday", "subtitle", "tapethree"})
        EXPECT_NE(all.find(text), std::string::npos) << text;
}

// A document name of 255 bytes, the most a folder holds, is written: only the hidden temporary
// names are shortened.
TEST_P(OfficePackage, TheLongestNamesAreWritten)
{
    const std::string extension = extensionOf(GetParam());
    const std::string name = std::string(255 - extension.size(), 'n') + extension;
    const fs::path path = write(1, name);
    EXPECT_FALSE(zipEntries(path).empty());
    std::size_t files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST_P(OfficePackage, AnEmptySceneListStillGivesADocument)
{
    const fs::path path = write(0, std::string("empty") + extensionOf(GetParam()));
    EXPECT_FALSE(zipEntries(path).empty());
}

INSTANTIATE_TEST_SUITE_P(AllFour, OfficePackage, ::testing::Values(Kind::Excel, Kind::Calc, Kind::Word, Kind::Writer),
                         kindName);

class OdfPackage : public OfficePackage {};

TEST_P(OdfPackage, MimetypeComesFirstStoredAndTheManifestListsEveryPart)
{
    const bool text = GetParam() == Kind::Writer;
    const fs::path path = write(5, text ? "clip.odt" : "clip.ods");
    const auto entries = zipEntries(path);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0].name, "mimetype");
    EXPECT_EQ(entries[0].method, "stor");
    EXPECT_EQ(zipEntryText(path, "mimetype"),
              text ? "application/vnd.oasis.opendocument.text" : "application/vnd.oasis.opendocument.spreadsheet");
    const std::string manifest = zipEntryText(path, "META-INF/manifest.xml");
    for (const auto &entry : entries) {
        if (entry.name == "mimetype" || entry.name == "META-INF/manifest.xml")
            continue;
        EXPECT_NE(manifest.find("manifest:full-path=\"" + entry.name + "\""), std::string::npos) << entry.name;
    }
    EXPECT_NE(manifest.find("manifest:full-path=\"/\""), std::string::npos);
    const std::size_t pictures = static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const auto &e) { return e.name.rfind("Pictures/", 0) == 0; }));
    EXPECT_EQ(pictures, text ? 5u : 0u);
}

INSTANTIATE_TEST_SUITE_P(CalcAndWriter, OdfPackage, ::testing::Values(Kind::Calc, Kind::Writer), kindName);

class TextDocument : public OfficePackage {
protected:
    std::string body(const fs::path &path)
    {
        return zipEntryText(path, GetParam() == Kind::Word ? "word/document.xml" : "content.xml");
    }
    std::string pictureFolder() const { return GetParam() == Kind::Word ? "word/media/" : "Pictures/"; }
    std::string name(const std::string &stem) const { return stem + (GetParam() == Kind::Word ? ".docx" : ".odt"); }
};

TEST_P(TextDocument, EveryScenesPictureIsInThePackageAndShownOnce)
{
    const fs::path path = write(5, name("five"));
    const std::vector<std::string> entries = names(zipEntries(path));
    const std::string xml = body(path);
    for (int n = 1; n <= 5; ++n) {
        const std::string picture = pictureFolder() + "scene" + std::to_string(n) + ".jpg";
        EXPECT_NE(std::find(entries.begin(), entries.end(), picture), entries.end()) << picture;
        EXPECT_EQ(camlog::test::zipEntryText(path, picture).substr(0, 3), "\xFF\xD8\xFF") << "a JPEG file";
    }
    if (GetParam() == Kind::Word) {
        const std::string relationships = zipEntryText(path, "word/_rels/document.xml.rels");
        for (int n = 1; n <= 5; ++n) {
            const std::string id = "rIdscene" + std::to_string(n);
            EXPECT_EQ(occurrences(xml, "r:embed=\"" + id + "\""), 1u) << id;
            EXPECT_NE(relationships.find("Id=\"" + id + "\" "), std::string::npos) << id;
        }
    } else {
        for (int n = 1; n <= 5; ++n)
            EXPECT_EQ(occurrences(xml, "xlink:href=\"Pictures/scene" + std::to_string(n) + ".jpg\""), 1u);
    }
}

TEST_P(TextDocument, FourScenesARowTheFifthStartsTheNextOne)
{
    const struct {
        int scenes;
        std::size_t gridRows; // rows of scenes
    } cases[] = {{1, 1}, {4, 1}, {5, 2}, {9, 3}};
    for (const auto &c : cases) {
        const std::string xml = body(write(c.scenes, name("grid" + std::to_string(c.scenes))));
        if (GetParam() == Kind::Word) {
            // A number row and a picture row for each row of scenes, four cells each.
            EXPECT_EQ(occurrences(xml, "<w:tr>"), 2 * c.gridRows) << c.scenes;
            EXPECT_EQ(occurrences(xml, "<w:tc>"), 8 * c.gridRows) << c.scenes;
        } else {
            EXPECT_EQ(occurrences(xml, "table:style-name=\"GridRow\""), c.gridRows) << c.scenes;
            EXPECT_EQ(occurrences(xml, "table:style-name=\"GridCell\""), 4 * c.gridRows) << c.scenes;
            EXPECT_EQ(occurrences(xml, "table:style-name=\"Scene\""), static_cast<std::size_t>(c.scenes));
        }
        EXPECT_EQ(occurrences(xml, "Scene n\xC2\xB0"), static_cast<std::size_t>(c.scenes));
    }
}

TEST_P(TextDocument, ASceneWithoutPictureKeepsItsTexts)
{
    const fs::path path = write(2, name("nopicture"), false);
    const std::vector<std::string> entries = names(zipEntries(path));
    EXPECT_TRUE(std::none_of(entries.begin(), entries.end(),
                             [this](const std::string &e) { return e.rfind(pictureFolder(), 0) == 0; }));
    const std::string xml = body(path);
    EXPECT_NE(xml.find("Title 2"), std::string::npos);
    EXPECT_NE(xml.find("0:00:02:00 - 0:00:03:24"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(WordAndWriter, TextDocument, ::testing::Values(Kind::Word, Kind::Writer), kindName);

} // namespace
} // namespace camlog::scenes::office::test
