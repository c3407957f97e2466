// The scene list as an OpenDocument spreadsheet (.ods), written as zip + XML.
#include "scenes/office/write_oo_calc.h"

#include "scenes/office/odf_package.h"
#include "scenes/office/xml_text.h"
#include "scenes/write_scn_text.h"

#include <algorithm>
#include <cstdio>

namespace camlog::scenes::office {

namespace {

const std::array<const char *, kSceneColumns> kHeaders = {"Number",   "Start",    "End",   "Duration",
                                                          "Datecode", "Timecode", "Title", "Subtitle"};
const char *const kBorder = "0.25mm solid #000000";

std::string cell(const std::string &style, const std::string &text)
{
    return "<table:table-cell table:style-name=\"" + style + "\" office:value-type=\"string\"><text:p>"
           + XmlEscaped(text) + "</text:p></table:table-cell>";
}

std::string numberCell(const std::string &style, std::int32_t value)
{
    const std::string text = std::to_string(value);
    return "<table:table-cell table:style-name=\"" + style + "\" office:value-type=\"float\" office:value=\"" + text
           + "\"><text:p>" + text + "</text:p></table:table-cell>";
}

std::string cellStyle(const std::string &name, const std::string &cellProperties, const std::string &textProperties)
{
    return "<style:style style:name=\"" + name + "\" style:family=\"table-cell\"><style:table-cell-properties "
           + cellProperties + "/><style:text-properties " + textProperties + "/></style:style>\n";
}

std::string centimetres(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2fcm", value);
    return text;
}

// Column widths for the fonts used: about 0.2 cm a character at 10 points, 0.3 cm at 12 points
// bold, plus the cell's margins.
std::array<double, kSceneColumns> columnWidths(const SpreadsheetRows &rows)
{
    std::array<const char *, kSceneColumns> none{};
    none.fill("");
    const auto widest = rows.widestTexts(none);
    std::array<double, kSceneColumns> widths{};
    for (std::size_t c = 0; c < kSceneColumns; ++c) {
        const double header = 0.3 * static_cast<double>(CharacterCount(kHeaders[c]));
        widths[c] = std::min(std::max(header, 0.2 * static_cast<double>(widest[c])) + 0.3, 17.0);
    }
    return widths;
}

std::string automaticStyles(const SpreadsheetRows &rows)
{
    std::string xml = "<office:automatic-styles>\n";
    xml += "<style:style style:name=\"ta1\" style:family=\"table\" style:master-page-name=\"Default\">"
           "<style:table-properties table:display=\"true\" style:writing-mode=\"lr-tb\"/></style:style>\n";
    xml += "<style:style style:name=\"coA\" style:family=\"table-column\"><style:table-column-properties "
           "fo:break-before=\"auto\" style:column-width=\"2.26cm\"/></style:style>\n";
    const auto widths = columnWidths(rows);
    for (std::size_t c = 0; c < kSceneColumns; ++c)
        xml += "<style:style style:name=\"co" + std::to_string(c)
               + "\" style:family=\"table-column\"><style:table-column-properties fo:break-before=\"auto\" "
                 "style:column-width=\""
               + centimetres(widths[c]) + "\"/></style:style>\n";
    const std::string hidden = "style:print-content=\"false\"";
    xml += cellStyle("ceNote10", hidden, "fo:font-size=\"10pt\"");
    xml += cellStyle("ceNote12", hidden, "fo:font-size=\"12pt\" fo:font-weight=\"bold\"");
    xml += cellStyle("ceNote8", hidden, "fo:font-size=\"8pt\"");
    const std::string sides = std::string("fo:border-left=\"") + kBorder + "\" fo:border-right=\"" + kBorder + "\"";
    const std::string bottom = std::string(" fo:border-bottom=\"") + kBorder + "\"";
    xml +=
        cellStyle("ceHead", sides + " fo:border-top=\"" + kBorder + "\"" + bottom + " fo:background-color=\"#fafa80\"",
                  "fo:color=\"#0000ff\" fo:font-size=\"12pt\" fo:font-weight=\"bold\"");
    const std::string top = " style:vertical-align=\"top\" fo:wrap-option=\"wrap\"";
    xml += cellStyle("ceRow", sides + top, "fo:font-size=\"10pt\"");
    xml += cellStyle("ceGrey", sides + top + " fo:background-color=\"#e6e6e6\"", "fo:font-size=\"10pt\"");
    xml += cellStyle("ceRowLast", sides + bottom + top, "fo:font-size=\"10pt\"");
    xml += cellStyle("ceGreyLast", sides + bottom + top + " fo:background-color=\"#e6e6e6\"", "fo:font-size=\"10pt\"");
    xml += "</office:automatic-styles>\n";
    return xml;
}

std::string noteRow(const std::string &content)
{
    return "<table:table-row><table:table-cell/>" + content + "</table:table-row>\n";
}

} // namespace

std::string SheetNameFor(const std::string &videoPath)
{
    std::string name = FileNameWithoutExtension(videoPath);
    for (char &c : name)
        if (c == '[' || c == ']' || c == '*' || c == '?' || c == ':' || c == '/' || c == '\\')
            c = '_';
    if (!name.empty() && name.front() == '\'')
        name.front() = '_';
    if (!name.empty() && name.back() == '\'')
        name.back() = '_';
    return name.empty() ? "Scenes" : name;
}

TWriteOoCalc::TWriteOoCalc(std::string videoPath, std::filesystem::path destination, OfficeExportInfo info)
    : m_videoPath(std::move(videoPath)),
      m_destination(std::move(destination)),
      m_info(std::move(info))
{
}

void TWriteOoCalc::AddScene(const TSceneClass &scene)
{
    m_rows.add(scene);
}

std::string TWriteOoCalc::contentXml() const
{
    std::string xml = kXmlDeclaration;
    xml += std::string("<office:document-content") + kOdfNamespaces + ">\n";
    xml += automaticStyles(m_rows);
    xml += "<office:body><office:spreadsheet>\n";
    xml += "<table:table table:name=\"" + XmlEscaped(SheetNameFor(m_videoPath)) + "\" table:style-name=\"ta1\">\n";
    xml += "<table:table-column table:style-name=\"coA\" table:default-cell-style-name=\"Default\"/>\n";
    for (std::size_t c = 0; c < kSceneColumns; ++c)
        xml += "<table:table-column table:style-name=\"co" + std::to_string(c)
               + "\" table:default-cell-style-name=\"Default\"/>\n";

    xml += "<table:table-row><table:table-cell/></table:table-row>\n";
    xml += noteRow(cell("ceNote10", "NB:The header and footer of the page contain the name of the file."));
    xml += noteRow("<table:table-cell table:style-name=\"ceNote12\" office:value-type=\"string\"><text:p>"
                   "<text:a xlink:type=\"simple\" xlink:href=\""
                   + XmlEscaped(m_info.webSite) + "\">Visit " + XmlEscaped(m_info.maker)
                   + "&apos;s website</text:a></text:p></table:table-cell>");
    xml += noteRow(cell("ceNote8", "(this text will be hidden when printed.)"));
    xml += "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell/></table:table-row>\n";

    xml += "<table:table-row><table:table-cell/>";
    for (const char *header : kHeaders)
        xml += cell("ceHead", header);
    xml += "</table:table-row>\n";
    const std::vector<SceneRow> &rows = m_rows.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool grey = (i + 1) % 2 == 0;
        const bool last = i + 1 == rows.size();
        const std::string style = std::string(grey ? "ceGrey" : "ceRow") + (last ? "Last" : "");
        xml += "<table:table-row><table:table-cell/>" + numberCell(style, rows[i].number);
        for (std::size_t c = 1; c < kSceneColumns; ++c)
            xml += cell(style, rows[i].texts[c]);
        xml += "</table:table-row>\n";
    }
    xml += "</table:table>\n</office:spreadsheet></office:body></office:document-content>\n";
    return xml;
}

std::string TWriteOoCalc::stylesXml() const
{
    const auto footer = FooterLines(m_info, m_videoPath);
    std::string xml = kXmlDeclaration;
    xml += std::string("<office:document-styles") + kOdfNamespaces + ">\n";
    xml += "<office:styles><style:default-style style:family=\"table-cell\"><style:text-properties "
           "style:font-name=\"Arial\" fo:font-family=\"Arial\" fo:font-size=\"10pt\"/></style:default-style>"
           "<style:style style:name=\"Default\" style:family=\"table-cell\"/></office:styles>\n";
    xml += "<office:automatic-styles>\n"
           "<style:page-layout style:name=\"pm1\"><style:page-layout-properties fo:page-width=\"29.7cm\" "
           "fo:page-height=\"21cm\" style:print-orientation=\"landscape\" fo:margin=\"1.5cm\"/>"
           "<style:header-style><style:header-footer-properties fo:min-height=\"0.75cm\" "
           "fo:margin-bottom=\"0.25cm\"/></style:header-style>"
           "<style:footer-style><style:header-footer-properties fo:min-height=\"0.75cm\" "
           "fo:margin-top=\"0.25cm\"/></style:footer-style></style:page-layout>\n"
           "<style:style style:name=\"Th\" style:family=\"text\"><style:text-properties style:font-name=\"Arial\" "
           "fo:font-family=\"Arial\" fo:font-size=\"12pt\" fo:font-weight=\"bold\" fo:font-style=\"normal\" "
           "fo:color=\"#0000ff\"/></style:style>\n"
           "<style:style style:name=\"Tf\" style:family=\"text\"><style:text-properties style:font-name=\"Arial\" "
           "fo:font-family=\"Arial\" fo:font-size=\"8pt\" fo:font-weight=\"normal\" fo:font-style=\"italic\" "
           "fo:color=\"#000000\"/></style:style>\n"
           "</office:automatic-styles>\n";
    xml += "<office:master-styles><style:master-page style:name=\"Default\" style:page-layout-name=\"pm1\">\n";
    xml += "<style:header><style:region-center><text:p><text:span text:style-name=\"Th\">"
           + XmlEscaped(LowerCaseText(m_videoPath)) + "</text:span></text:p></style:region-center></style:header>\n";
    xml += "<style:footer><style:region-left>";
    for (const std::string &line : footer)
        xml += "<text:p><text:span text:style-name=\"Tf\">" + XmlEscaped(line) + "</text:span></text:p>";
    xml += "</style:region-left><style:region-right><text:p><text:span text:style-name=\"Tf\">Page "
           "<text:page-number>1</text:page-number> on <text:page-count>1</text:page-count></text:span></text:p>"
           "</style:region-right></style:footer>\n";
    xml += "</style:master-page></office:master-styles></office:document-styles>\n";
    return xml;
}

bool TWriteOoCalc::close()
{
    return WriteOdfPackage(
        m_destination, "application/vnd.oasis.opendocument.spreadsheet",
        {{"content.xml", contentXml()}, {"styles.xml", stylesXml()}, {"meta.xml", OdfMeta(m_info.fullName())}}, {},
        m_error);
}

} // namespace camlog::scenes::office
