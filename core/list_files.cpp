// Text files of the file list: the playlist (written and read back) and the detailed list.
#include "core/list_files.h"

#include "core/avi_fichier.h"
#include "core/friendly_params.h"
#include "core/replacing_file.h"
#include "core/text_encoding.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace camlog::core {

namespace {

const std::string kRule = "# -------------------------------------------------------------";

std::string trim(std::string_view text)
{
    // Everything up to the blank counts as space, as in the lists users write by hand.
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return std::string(text.substr(begin, end - begin));
}

ListFileFailure failure(ListFileError code, const std::filesystem::path &path, const std::string &what)
{
    return {code, "'" + path.string() + "': " + what};
}

} // namespace

std::vector<std::string> PlaylistLines(const std::vector<std::string> &paths, const PlaylistInfo &info)
{
    const std::string s = paths.size() >= 2 ? " " : "";
    std::vector<std::string> lines = {
        kRule, "#", "# Playlist of " + info.programTitle, "#", kRule, "# Visit my website : " + info.webSite, "",
    };
    for (const auto &path : paths)
        lines.push_back("     " + path);
    lines.push_back("");
    lines.push_back(kRule);
    lines.push_back("# " + std::to_string(paths.size()) + " file" + s + " sorted" + s + " " + info.sortCaption);
    lines.push_back("# Done on " + info.doneOn);
    return lines;
}

Expected<bool, ListFileError> WriteUtf16Lines(const std::filesystem::path &path, const std::vector<std::string> &lines)
{
    std::u16string text;
    for (const auto &line : lines) {
        text += Utf8ToUtf16(line);
        text += u"\r\n";
    }
    const auto bytes = EncodeUtf16Le(text, true);

    ReplacingFile file(path);
    file.append(bytes.data(), bytes.size());
    if (!file.commit())
        return ListFileFailure{ListFileError::Unwritable, file.errorMessage()};
    return true;
}

std::string PlaylistNameProblem(const std::string &name)
{
    if (name.find_first_of("\r\n") != std::string::npos)
        return "it holds a line break";
    if (Utf16ToUtf8(Utf8ToUtf16(name)) != name)
        return "it is not UTF-8 text";
    if (!name.empty()
        && (static_cast<unsigned char>(name.front()) <= ' ' || name.front() == '#'
            || static_cast<unsigned char>(name.back()) <= ' '))
        return "it begins or ends with a blank or begins with #";
    return {};
}

Expected<bool, ListFileError> WritePlaylist(const std::filesystem::path &path, const std::vector<std::string> &paths,
                                            const PlaylistInfo &info)
{
    // A name the playlist would read back as another is refused, and the old playlist kept.
    for (const std::string &name : paths) {
        if (const std::string problem = PlaylistNameProblem(name); !problem.empty())
            return failure(ListFileError::Unwritable, path,
                           "the name \"" + Utf16ToUtf8(Utf8ToUtf16(name))
                               + "\" cannot be written in a playlist: " + problem);
    }
    return WriteUtf16Lines(path, PlaylistLines(paths, info));
}

Expected<std::vector<std::string>, ListFileError> ReadPlaylist(const std::filesystem::path &path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return failure(ListFileError::Unreadable, path, "not a readable file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return failure(ListFileError::Unreadable, path, std::strerror(errno));
    const std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return failure(ListFileError::Unreadable, path, "read failed");

    const std::string text = DecodeTextFile(raw);

    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        auto line = trim(std::string_view(text).substr(start, end - start));
        if (!line.empty() && line[0] != '#')
            paths.push_back(std::move(line));
        start = end + 1;
    }
    return paths;
}

} // namespace camlog::core

namespace camlog::core {

std::string DetailedListLine(const TaviFichier &file, const std::string &displayPattern)
{
    std::string shift;
    if (file.Shift.days() > 0)
        shift = "+" + file.ShiftText;
    else if (file.Shift.days() < 0)
        shift = file.ShiftText;
    const std::string fields[] = {
        file.FullPath,
        PanelDatecodeText(file, displayPattern, nullptr),
        file.HasScn ? "scn" : "no scn",
        file.HasSrt ? "srt" : "no srt",
        file.TimecodeText,
        PanelCodecText(file),
        PanelImageText(file),
        PanelDurationText(file),
        PanelFpsText(file.FrameRate),
        file.AudioText,
        file.AudioFormatText,
        FormatFileSize(static_cast<std::int64_t>(file.FileSize())),
        FormatDateTimePattern(displayPattern, file.Modified).value_or(""),
        shift,
    };
    std::string line;
    for (const auto &field : fields) {
        if (&field != &fields[0])
            line += ",";
        line += field;
    }
    return line;
}

Expected<bool, ListFileError> WriteDetailedList(const std::filesystem::path &path,
                                                const std::vector<const TaviFichier *> &files,
                                                const std::string &displayPattern)
{
    std::vector<std::string> lines;
    lines.reserve(files.size());
    for (const auto *file : files)
        if (file)
            lines.push_back(DetailedListLine(*file, displayPattern));
    return WriteUtf16Lines(path, lines);
}

} // namespace camlog::core
