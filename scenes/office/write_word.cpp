// The scene list as a Word document (.docx), written as zip + XML.
#include "scenes/office/write_word.h"

#include "scenes/office/xml_text.h"
#include "scenes/office/zip_package.h"

namespace camlog::scenes::office {

namespace {

constexpr int kColumns = 4;
constexpr int kColumnTwips = 2400;                  // 120 points
constexpr long long kPictureWidthEmu = 104 * 12700; // 104 points: the column less the cell margins

const char *const kWordNamespaces =
    " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
    " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
    " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
    " xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"";
const char *const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

std::string run(const std::string &text, const std::string &properties = {})
{
    return "<w:r>" + (properties.empty() ? std::string() : "<w:rPr>" + properties + "</w:rPr>")
           + "<w:t xml:space=\"preserve\">" + XmlEscaped(text) + "</w:t></w:r>";
}

std::string paragraph(const std::string &content, const std::string &properties = {})
{
    return "<w:p>" + (properties.empty() ? std::string() : "<w:pPr>" + properties + "</w:pPr>") + content + "</w:p>";
}

std::string cell(const std::string &paragraphs)
{
    return "<w:tc><w:tcPr><w:tcW w:w=\"" + std::to_string(kColumnTwips) + "\" w:type=\"dxa\"/></w:tcPr>"
           + (paragraphs.empty() ? "<w:p/>" : paragraphs) + "</w:tc>";
}

// The relationship of a picture: "rId" and its file name without extension ("rIdscene12").
std::string relationshipId(const StagedPicture &picture)
{
    return "rId" + std::filesystem::path(picture.fileName).stem().string();
}

std::string pictureRun(const StagedPicture &picture, int number)
{
    const long long height = kPictureWidthEmu * picture.height / picture.width;
    const std::string id = std::to_string(number);
    const std::string extent = "cx=\"" + std::to_string(kPictureWidthEmu) + "\" cy=\"" + std::to_string(height) + "\"";
    return "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\"><wp:extent " + extent
           + "/><wp:docPr id=\"" + id + "\" name=\"Picture " + id
           + "\"/><wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect=\"1\"/></wp:cNvGraphicFramePr>"
             "<a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:pic>"
             "<pic:nvPicPr><pic:cNvPr id=\""
           + id + "\" name=\"" + XmlEscaped(picture.fileName)
           + "\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"" + relationshipId(picture)
           + "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext "
           + extent
           + "/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData>"
             "</a:graphic></wp:inline></w:drawing></w:r>";
}

const char *const kContentTypes = R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Default Extension="jpg" ContentType="image/jpeg"/>
<Default Extension="png" ContentType="image/png"/>
<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>
<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>
<Override PartName="/word/footer1.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml"/>
</Types>
)";

const char *const kPackageRelationships =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>
</Relationships>
)";

const char *const kStyles = R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">
<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial" w:eastAsia="Arial" w:cs="Arial"/><w:sz w:val="16"/><w:szCs w:val="16"/><w:lang w:val="en-US"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>
<w:style w:type="paragraph" w:styleId="Footer"><w:name w:val="footer"/><w:basedOn w:val="Normal"/></w:style>
</w:styles>
)";

const char *const kGridBorders =
    "<w:tblBorders><w:top w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
    "<w:left w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
    "<w:bottom w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
    "<w:right w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
    "<w:insideH w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
    "<w:insideV w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/></w:tblBorders>";

} // namespace

TWriteWord::TWriteWord(std::string videoPath, std::filesystem::path destination, OfficeExportInfo info,
                       PictureEncoder encoder)
    : m_videoPath(std::move(videoPath)),
      m_destination(std::move(destination)),
      m_info(std::move(info)),
      m_pictures(std::move(encoder))
{
}

void TWriteWord::AddScene(const TSceneClass &scene)
{
    ++m_sceneCount;
    PendingScene pending;
    pending.numberCell = cell(paragraph(run(SceneNumberText(scene)), "<w:keepNext/>"));
    std::string content;
    const std::optional<StagedPicture> picture =
        m_pictures.add(scene.thumbnail, "scene" + std::to_string(m_sceneCount));
    if (picture)
        content += paragraph(pictureRun(*picture, m_sceneCount), "<w:jc w:val=\"center\"/>");
    for (const std::string &line : SceneCaptionLines(scene, "Duration  = "))
        content += paragraph(run(line));
    pending.contentCell = cell(content);
    m_pending.push_back(std::move(pending));
    if (static_cast<int>(m_pending.size()) == kColumns)
        flushRow();
}

void TWriteWord::flushRow()
{
    if (m_pending.empty())
        return;
    const std::string rowStart = "<w:tr><w:trPr><w:cantSplit/></w:trPr>";
    std::string numbers = rowStart;
    std::string contents = rowStart;
    for (const PendingScene &scene : m_pending) {
        numbers += scene.numberCell;
        contents += scene.contentCell;
    }
    for (int c = static_cast<int>(m_pending.size()); c < kColumns; ++c) {
        numbers += cell({});
        contents += cell({});
    }
    m_rows += numbers + "</w:tr>\n" + contents + "</w:tr>\n";
    m_pending.clear();
}

std::string TWriteWord::documentXml() const
{
    std::string xml = kDeclaration;
    xml += std::string("<w:document") + kWordNamespaces + "><w:body>\n";
    xml += paragraph(run(FileNameOf(m_videoPath), "<w:b/><w:color w:val=\"800000\"/><w:sz w:val=\"32\"/>"
                                                  "<w:szCs w:val=\"32\"/>"),
                     "<w:jc w:val=\"center\"/>")
           + "\n<w:p/><w:p/>\n";
    if (!m_rows.empty()) {
        xml += "<w:tbl><w:tblPr><w:tblW w:w=\"" + std::to_string(kColumns * kColumnTwips) + "\" w:type=\"dxa\"/>"
               + kGridBorders + "<w:tblLayout w:type=\"fixed\"/></w:tblPr><w:tblGrid>";
        for (int c = 0; c < kColumns; ++c)
            xml += "<w:gridCol w:w=\"" + std::to_string(kColumnTwips) + "\"/>";
        xml += "</w:tblGrid>\n" + m_rows + "</w:tbl>\n<w:p/>\n";
    }
    xml += "<w:sectPr><w:footerReference w:type=\"default\" r:id=\"rIdFooter\"/>"
           "<w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1134\" w:right=\"1134\" w:bottom=\"1134\" "
           "w:left=\"1134\" w:header=\"567\" w:footer=\"567\" w:gutter=\"0\"/></w:sectPr>\n</w:body></w:document>\n";
    return xml;
}

std::string TWriteWord::relationshipsXml() const
{
    std::string xml = kDeclaration;
    xml +=
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
        "<Relationship Id=\"rIdStyles\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>\n"
        "<Relationship Id=\"rIdFooter\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer\" "
        "Target=\"footer1.xml\"/>\n";
    for (const StagedPicture &picture : m_pictures.all()) {
        xml += "<Relationship Id=\"" + relationshipId(picture)
               + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
                 "Target=\"media/"
               + XmlEscaped(picture.fileName) + "\"/>\n";
    }
    xml += "</Relationships>\n";
    return xml;
}

std::string TWriteWord::footerXml() const
{
    const auto footer = FooterLines(m_info, m_videoPath);
    const std::string properties = "<w:i/><w:iCs/><w:sz w:val=\"16\"/><w:szCs w:val=\"16\"/>";
    std::string xml = kDeclaration;
    xml += std::string("<w:ftr") + kWordNamespaces + "><w:p><w:pPr><w:pStyle w:val=\"Footer\"/></w:pPr>";
    for (std::size_t i = 0; i < footer.size(); ++i) {
        if (i > 0)
            xml += "<w:r><w:br/></w:r>";
        xml += run(footer[i], properties);
    }
    xml += "</w:p></w:ftr>\n";
    return xml;
}

bool TWriteWord::close()
{
    flushRow();
    ZipPackage package(m_destination);
    package.addText("[Content_Types].xml", kDeclaration + std::string(kContentTypes));
    package.addText("_rels/.rels", kDeclaration + std::string(kPackageRelationships));
    package.addText("word/document.xml", documentXml());
    package.addText("word/_rels/document.xml.rels", relationshipsXml());
    package.addText("word/styles.xml", kDeclaration + std::string(kStyles));
    package.addText("word/footer1.xml", footerXml());
    for (const StagedPicture &picture : m_pictures.all())
        package.addFile("word/media/" + picture.fileName, picture.file, false);
    if (package.close())
        return true;
    m_error = package.errorMessage();
    return false;
}

} // namespace camlog::scenes::office
