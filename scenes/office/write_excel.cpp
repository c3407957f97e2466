// The scene list as an Excel workbook (.xlsx), written with libxlsxwriter.
#include "scenes/office/write_excel.h"

#include "core/temporary_files.h"
#include "scenes/office/xml_text.h"
#include "scenes/write_scn_text.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <tuple>
#include <unistd.h>

namespace camlog::scenes::office {

namespace {

const std::array<const char *, kSceneColumns> kHeaders = {"Number",   "Start",    "End",     "Duration",
                                                          "Datecode", "Timecode", "Caption", "Subtitle"};
constexpr lxw_row_t kHeaderRow = 6;   // row 7
constexpr lxw_col_t kFirstColumn = 1; // column B
constexpr lxw_color_t kBlue = 0x0000FF;
constexpr lxw_color_t kLightYellow = 0xFAFA80;
constexpr lxw_color_t kGrey = 0xD0D0D0;
// Excel's limit for a header or footer text, in bytes.
constexpr std::size_t kHeaderFooterLimit = 255;

// The cell formats of the table: every cell has its left border, the last column also its right
// one, the header row its top and bottom, the last scene row its bottom.
struct CellKind {
    bool header = false;
    bool grey = false;
    bool lastColumn = false;
    bool lastRow = false;
    bool operator<(const CellKind &o) const
    {
        return std::tie(header, grey, lastColumn, lastRow) < std::tie(o.header, o.grey, o.lastColumn, o.lastRow);
    }
};

class Formats {
public:
    explicit Formats(lxw_workbook *workbook) : m_workbook(workbook) {}

    lxw_format *cell(const CellKind &kind)
    {
        auto found = m_cells.find(kind);
        if (found != m_cells.end())
            return found->second;
        lxw_format *format = workbook_add_format(m_workbook);
        format_set_left(format, LXW_BORDER_THIN);
        format_set_align(format, LXW_ALIGN_VERTICAL_TOP);
        if (kind.lastColumn)
            format_set_right(format, LXW_BORDER_THIN);
        if (kind.header) {
            format_set_top(format, LXW_BORDER_THIN);
            format_set_bottom(format, LXW_BORDER_THIN);
            format_set_font_color(format, kBlue);
            format_set_bg_color(format, kLightYellow);
            format_set_font_size(format, 12);
        } else {
            if (kind.grey)
                format_set_bg_color(format, kGrey);
            if (kind.lastRow)
                format_set_bottom(format, LXW_BORDER_THIN);
            if (kind.lastColumn)
                format_set_text_wrap(format);
        }
        m_cells.emplace(kind, format);
        return format;
    }

private:
    lxw_workbook *m_workbook;
    std::map<CellKind, lxw_format *> m_cells;
};

// A header or footer code text: "&" doubled so that a path never reads as a code, and a tab or
// a line break of a name a space (the workbook's own line breaks are the only ones).
std::string headerText(const std::string &text)
{
    std::string out;
    for (const char c : XmlCharacters(text)) {
        out += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
        if (c == '&')
            out += '&';
    }
    return out;
}

// The path for a header or footer that must stay within room bytes: its end, after "...".
std::string fittedPath(const std::string &path, std::size_t room)
{
    std::string escaped = headerText(path);
    if (escaped.size() <= room)
        return escaped;
    std::size_t cut = escaped.size() - (room > 3 ? room - 3 : 0);
    // Neither inside a UTF-8 sequence nor between the two "&" of a doubled one.
    while (cut < escaped.size()
           && ((static_cast<unsigned char>(escaped[cut]) & 0xC0) == 0x80
               || (escaped[cut] == '&' && cut > 0 && escaped[cut - 1] == '&')))
        ++cut;
    return "..." + escaped.substr(cut);
}

void setPage(lxw_worksheet *sheet, const std::string &lowerPath, const OfficeExportInfo &info)
{
    worksheet_set_landscape(sheet);
    worksheet_set_paper(sheet, 9); // A4
    // The table fits the page's width, however long the texts; pages follow one another down.
    worksheet_fit_to_pages(sheet, 1, 0);
    const std::string centre = "&C";
    worksheet_set_header(sheet, (centre + fittedPath(lowerPath, kHeaderFooterLimit - centre.size())).c_str());
    const std::string right = "&RPage &P sur &N";
    const std::string before = "&LList of scenes of the video file:\n";
    const std::string after = "\n" + headerText(ExportedByText(info));
    const std::size_t fixed = before.size() + after.size() + right.size();
    const std::string path = fittedPath(lowerPath, kHeaderFooterLimit > fixed ? kHeaderFooterLimit - fixed : 0);
    worksheet_set_footer(sheet, (before + path + after + right).c_str());
}

// A hidden name beside the destination for the workbook while it is written, of this process
// only, registered so that a quick exit removes it and a later run removes it after a crash.
// (The workbook creates the file itself, with the permissions of any new file.)
class WorkbookTemporary {
public:
    explicit WorkbookTemporary(const std::filesystem::path &destination)
    {
        static std::atomic<unsigned> counter{0};
        core::RemoveOrphanedTemporaries(destination);
        m_path = core::TemporaryNameFor(destination, counter++);
        m_slot = core::RegisterTemporary(m_path);
        // Made here, so that a folder that cannot be written is told with the system's reason
        // (the workbook would print its own lines on the terminal).
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            m_error = std::strerror(errno);
        else
            ::close(fd);
    }
    ~WorkbookTemporary()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
        core::UnregisterTemporary(m_slot);
    }
    WorkbookTemporary(const WorkbookTemporary &) = delete;
    WorkbookTemporary &operator=(const WorkbookTemporary &) = delete;
    const std::filesystem::path &path() const { return m_path; }
    // Why the file could not be made; empty when it was.
    const std::string &error() const { return m_error; }

private:
    std::filesystem::path m_path;
    std::string m_error;
    int m_slot = -1;
};

} // namespace

TWriteExcel::TWriteExcel(std::string videoPath, std::filesystem::path destination, OfficeExportInfo info)
    : m_videoPath(std::move(videoPath)),
      m_destination(std::move(destination)),
      m_info(std::move(info))
{
}

void TWriteExcel::AddScene(const TSceneClass &scene)
{
    m_rows.add(scene);
}

bool TWriteExcel::close()
{
    const WorkbookTemporary temporaryFile(m_destination);
    if (!temporaryFile.error().empty()) {
        m_error = "Cannot write " + m_destination.string() + ": " + temporaryFile.error();
        return false;
    }
    const std::string temporary = temporaryFile.path().string();
    lxw_workbook *workbook = workbook_new(temporary.c_str());
    if (workbook == nullptr) {
        m_error = "Cannot create the workbook " + m_destination.string();
        return false;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    Formats formats(workbook);
    // The workbook escapes what it writes, but keeps what XML cannot carry.
    const std::string lowerPath = XmlCharacters(LowerCaseText(m_videoPath));
    setPage(sheet, lowerPath, m_info);

    lxw_format *pathFormat = workbook_add_format(workbook);
    format_set_font_color(pathFormat, kBlue);
    format_set_font_size(pathFormat, 12);
    format_set_bold(pathFormat);
    worksheet_write_string(sheet, 3, 0, lowerPath.c_str(), pathFormat);

    for (lxw_col_t c = 0; c < kSceneColumns; ++c)
        worksheet_write_string(sheet, kHeaderRow, kFirstColumn + c, kHeaders[c],
                               formats.cell({.header = true, .lastColumn = c + 1 == kSceneColumns}));
    const std::vector<SceneRow> &rows = m_rows.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const lxw_row_t row = kHeaderRow + 1 + static_cast<lxw_row_t>(i);
        for (lxw_col_t c = 0; c < kSceneColumns; ++c) {
            lxw_format *format = formats.cell(
                {.grey = (i + 1) % 2 == 0, .lastColumn = c + 1 == kSceneColumns, .lastRow = i + 1 == rows.size()});
            if (c == 0)
                worksheet_write_number(sheet, row, kFirstColumn, rows[i].number, format);
            else
                worksheet_write_string(sheet, row, kFirstColumn + c, XmlCharacters(rows[i].texts[c]).c_str(), format);
        }
    }
    const lxw_row_t after = kHeaderRow + static_cast<lxw_row_t>(rows.size());
    worksheet_write_string(sheet, after + 2, 0,
                           ("Terminated at " + FormatExportTime(m_info, "dddddd 'at' hh:mm:ss")).c_str(), nullptr);
    worksheet_write_string(sheet, after + 3, 0, XmlCharacters("Visit my web site " + m_info.webSite).c_str(), nullptr);

    // Widths in characters of the default font, the header's larger font counted in.
    const auto widest = m_rows.widestTexts(kHeaders);
    for (lxw_col_t c = 0; c < kSceneColumns; ++c) {
        const double header = 1.15 * static_cast<double>(CharacterCount(kHeaders[c]));
        const double width = std::max(header, static_cast<double>(widest[c])) + 1.0;
        worksheet_set_column(sheet, kFirstColumn + c, kFirstColumn + c, std::min(width, 80.0), nullptr);
    }

    const lxw_error result = workbook_close(workbook);
    if (result != LXW_NO_ERROR) {
        m_error = "Cannot write " + m_destination.string() + ": " + lxw_strerror(result);
        return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, m_destination, error);
    if (error) {
        m_error = "Cannot write " + m_destination.string() + ": " + error.message();
        return false;
    }
    return true;
}

} // namespace camlog::scenes::office
