// The scene list as an OpenDocument text (.odt), written as zip + XML.
#include "scenes/office/write_oo_writer.h"

#include "scenes/office/odf_package.h"
#include "scenes/office/xml_text.h"

#include <cstdio>

namespace camlog::scenes::office {

namespace {

constexpr int kColumns = 4;
constexpr double kPictureWidthCm = 3.9;
const char *const kLine = "0.5pt solid #000000";

std::string centimetres(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3fcm", value);
    return text;
}

std::string paragraph(const std::string &style, const std::string &text)
{
    return "<text:p text:style-name=\"" + style + "\">" + XmlEscaped(text) + "</text:p>";
}

std::string pictureFrame(const StagedPicture &picture, int number)
{
    const double height = kPictureWidthCm * picture.height / picture.width;
    return "<text:p text:style-name=\"Ppicture\"><draw:frame draw:style-name=\"frPicture\" draw:name=\"Picture "
           + std::to_string(number) + "\" text:anchor-type=\"as-char\" svg:width=\"" + centimetres(kPictureWidthCm)
           + "\" svg:height=\"" + centimetres(height) + "\" draw:z-index=\"0\"><draw:image xlink:href=\"Pictures/"
           + XmlEscaped(picture.fileName)
           + "\" xlink:type=\"simple\" xlink:show=\"embed\" xlink:actuate=\"onLoad\"/></draw:frame></text:p>";
}

const char *const kAutomaticStyles = R"(<office:automatic-styles>
<style:style style:name="Ptitle" style:family="paragraph"><style:text-properties style:font-name="Arial" fo:font-family="Arial" fo:font-size="16pt" fo:font-weight="bold" fo:font-style="normal" fo:color="#800000"/></style:style>
<style:style style:name="Pgap" style:family="paragraph"><style:text-properties fo:font-size="6pt"/></style:style>
<style:style style:name="Pscene" style:family="paragraph"><style:paragraph-properties fo:text-align="start" fo:margin-top="0cm" fo:margin-bottom="0cm"/><style:text-properties style:font-name="Arial" fo:font-family="Arial" fo:font-size="8pt" fo:font-weight="normal" fo:font-style="normal"/></style:style>
<style:style style:name="Ppicture" style:family="paragraph"><style:paragraph-properties fo:text-align="center" fo:margin-top="0cm" fo:margin-bottom="0cm"/><style:text-properties fo:font-size="1pt"/></style:style>
<style:style style:name="Grid" style:family="table"><style:table-properties style:width="17cm" table:align="left" fo:margin-left="0cm" fo:margin-right="0cm" fo:margin-top="0cm" fo:margin-bottom="0cm"/></style:style>
<style:style style:name="GridColumn" style:family="table-column"><style:table-column-properties style:column-width="4.25cm"/></style:style>
<style:style style:name="GridRow" style:family="table-row"><style:table-row-properties fo:keep-together="always"/></style:style>
<style:style style:name="GridCell" style:family="table-cell"><style:table-cell-properties fo:padding="0.075cm" fo:border="none" style:vertical-align="top"/></style:style>
<style:style style:name="Scene" style:family="table"><style:table-properties style:width="4.1cm" table:align="margins" fo:margin-left="0cm" fo:margin-right="0cm" fo:margin-top="0cm" fo:margin-bottom="0cm" style:may-break-between-rows="false"/></style:style>
<style:style style:name="SceneColumn" style:family="table-column"><style:table-column-properties style:column-width="4.1cm"/></style:style>
<style:style style:name="SceneTop" style:family="table-cell"><style:table-cell-properties fo:padding="0.025cm" fo:border-left="LINE" fo:border-right="LINE" fo:border-top="LINE" fo:border-bottom="none"/></style:style>
<style:style style:name="SceneMiddle" style:family="table-cell"><style:table-cell-properties fo:padding="0.025cm" fo:border-left="LINE" fo:border-right="LINE" fo:border-top="none" fo:border-bottom="none"/></style:style>
<style:style style:name="SceneBottom" style:family="table-cell"><style:table-cell-properties fo:padding="0.025cm" fo:border-left="LINE" fo:border-right="LINE" fo:border-top="none" fo:border-bottom="LINE"/></style:style>
<style:style style:name="frPicture" style:family="graphic"><style:graphic-properties style:wrap="none" style:vertical-pos="top" style:vertical-rel="baseline" fo:border="none" fo:padding="0cm"/></style:style>
</office:automatic-styles>
)";

std::string withLines(std::string text)
{
    for (std::size_t at = text.find("LINE"); at != std::string::npos; at = text.find("LINE", at))
        text.replace(at, 4, kLine);
    return text;
}

} // namespace

TWriteOoWriter::TWriteOoWriter(std::string videoPath, std::filesystem::path destination, OfficeExportInfo info,
                               PictureEncoder encoder)
    : m_videoPath(std::move(videoPath)),
      m_destination(std::move(destination)),
      m_info(std::move(info)),
      m_pictures(std::move(encoder))
{
}

void TWriteOoWriter::AddScene(const TSceneClass &scene)
{
    ++m_sceneCount;
    const std::string name = std::to_string(m_sceneCount);
    std::string cell = "<table:table-cell table:style-name=\"GridCell\" office:value-type=\"string\">";
    cell += "<table:table table:name=\"Scene" + name + "\" table:style-name=\"Scene\">";
    cell += "<table:table-column table:style-name=\"SceneColumn\"/>";
    cell += "<table:table-row><table:table-cell table:style-name=\"SceneTop\" office:value-type=\"string\">"
            + paragraph("Pscene", SceneNumberText(scene)) + "</table:table-cell></table:table-row>";
    cell += "<table:table-row><table:table-cell table:style-name=\"SceneMiddle\" office:value-type=\"string\">";
    const std::optional<StagedPicture> picture = m_pictures.add(scene.thumbnail, "scene" + name);
    cell += picture ? pictureFrame(*picture, m_sceneCount) : "<text:p text:style-name=\"Ppicture\"/>";
    cell += "</table:table-cell></table:table-row>";
    cell += "<table:table-row><table:table-cell table:style-name=\"SceneBottom\" office:value-type=\"string\">";
    for (const std::string &line : SceneCaptionLines(scene, "Duration = "))
        cell += paragraph("Pscene", line);
    cell += "</table:table-cell></table:table-row></table:table></table:table-cell>";
    m_pendingCells.push_back(std::move(cell));
    if (static_cast<int>(m_pendingCells.size()) == kColumns)
        flushRow();
}

void TWriteOoWriter::flushRow()
{
    if (m_pendingCells.empty())
        return;
    m_rows += "<table:table-row table:style-name=\"GridRow\">";
    for (const std::string &cell : m_pendingCells)
        m_rows += cell;
    for (int c = static_cast<int>(m_pendingCells.size()); c < kColumns; ++c)
        m_rows += "<table:table-cell table:style-name=\"GridCell\" office:value-type=\"string\"><text:p/>"
                  "</table:table-cell>";
    m_rows += "</table:table-row>\n";
    m_pendingCells.clear();
}

std::string TWriteOoWriter::contentXml() const
{
    std::string xml = kXmlDeclaration;
    xml += std::string("<office:document-content") + kOdfNamespaces + ">\n";
    xml += withLines(kAutomaticStyles);
    xml += "<office:body><office:text>\n";
    xml += paragraph("Ptitle", FileNameOf(m_videoPath)) + "\n";
    xml += "<text:p text:style-name=\"Pgap\"/>\n";
    // A table holds at least one row: without scenes the document has its title only.
    if (!m_rows.empty()) {
        xml += "<table:table table:name=\"Scenes\" table:style-name=\"Grid\">\n"
               "<table:table-column table:style-name=\"GridColumn\" table:number-columns-repeated=\"4\"/>\n";
        xml += m_rows;
        xml += "</table:table>\n";
    }
    xml += "</office:text></office:body></office:document-content>\n";
    return xml;
}

std::string TWriteOoWriter::stylesXml() const
{
    const auto footer = FooterLines(m_info, m_videoPath);
    std::string xml = kXmlDeclaration;
    xml += std::string("<office:document-styles") + kOdfNamespaces + ">\n";
    xml += R"(<office:styles>
<style:default-style style:family="paragraph"><style:text-properties style:font-name="Arial" fo:font-family="Arial" fo:font-size="10pt"/></style:default-style>
<style:style style:name="Standard" style:family="paragraph" style:class="text"/>
<style:style style:name="Footer" style:family="paragraph" style:parent-style-name="Standard" style:class="extra"><style:paragraph-properties><style:tab-stops><style:tab-stop style:position="8.5cm" style:type="center"/><style:tab-stop style:position="17cm" style:type="right"/></style:tab-stops></style:paragraph-properties><style:text-properties style:font-name="Arial" fo:font-family="Arial" fo:font-size="8pt" fo:font-style="italic" fo:font-weight="normal" fo:color="#000000"/></style:style>
</office:styles>
<office:automatic-styles>
<style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" style:print-orientation="portrait" fo:margin-top="2cm" fo:margin-bottom="1.5cm" fo:margin-left="2cm" fo:margin-right="2cm"/><style:header-style/><style:footer-style><style:header-footer-properties fo:min-height="0cm" fo:margin-top="0.3cm"/></style:footer-style></style:page-layout>
</office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1"><style:footer><text:p text:style-name="Footer">)";
    xml += XmlEscaped(footer[0]) + "<text:line-break/>" + XmlEscaped(footer[1]) + "<text:line-break/>"
           + XmlEscaped(footer[2]);
    xml += "<text:tab/><text:tab/>Page <text:page-number text:select-page=\"current\" style:num-format=\"1\">1"
           "</text:page-number> on <text:page-count style:num-format=\"1\">1</text:page-count></text:p>"
           "</style:footer></style:master-page></office:master-styles>\n</office:document-styles>\n";
    return xml;
}

bool TWriteOoWriter::close()
{
    flushRow();
    std::vector<OdfPicture> pictures;
    for (const StagedPicture &picture : m_pictures.all())
        pictures.push_back({"Pictures/" + picture.fileName, picture.file, picture.mediaType});
    return WriteOdfPackage(
        m_destination, "application/vnd.oasis.opendocument.text",
        {{"content.xml", contentXml()}, {"styles.xml", stylesXml()}, {"meta.xml", OdfMeta(m_info.fullName())}},
        pictures, m_error);
}

} // namespace camlog::scenes::office
