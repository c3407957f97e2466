// Office documents read back by independent tools.
#include "support/office_reader.h"

#include "support/test_files.h"

#include <fstream>
#include <sstream>

namespace camlog::test {

namespace {
std::string shellQuoted(const std::string &text)
{
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}
} // namespace

std::vector<ZipEntry> zipEntries(const std::filesystem::path &package)
{
    // zipinfo's short form: permissions, version, system, size, text/binary with the extra-field
    // mark ("b-"), method, date, time, name (the name last, it may hold blanks).
    const CommandResult listed = runCommand("zipinfo -s " + shellQuoted(package.string()) + " 2>/dev/null");
    std::vector<ZipEntry> entries;
    std::istringstream in(listed.output);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string permissions, version, system, size, kind, method, date, time;
        if (!(fields >> permissions >> version >> system >> size >> kind >> method >> date >> time))
            continue;
        // Entry lines begin with the file type of the permissions ("-rw-r--r--", "-rw----").
        if (permissions[0] != '-' && permissions[0] != 'd' && permissions[0] != 'l')
            continue;
        std::string name;
        std::getline(fields, name);
        name.erase(0, name.find_first_not_of(' '));
        entries.push_back({name, method});
    }
    return entries;
}

std::string zipEntryText(const std::filesystem::path &package, const std::string &entry)
{
    // unzip reads its entry names as wildcards: [ and ] are escaped.
    std::string pattern;
    for (const char c : entry) {
        if (c == '[' || c == ']' || c == '*' || c == '?')
            pattern += '\\';
        pattern += c;
    }
    return runCommand("unzip -p " + shellQuoted(package.string()) + " " + shellQuoted(pattern) + " 2>/dev/null").output;
}

std::filesystem::path convertWithLibreOffice(const std::filesystem::path &document, const std::string &filter,
                                             const std::string &extension, const std::filesystem::path &work)
{
    const std::filesystem::path out = work / ("converted-" + extension);
    std::filesystem::create_directories(out);
    const std::string profile = "file://" + (work / "lo-profile").string();
    runCommand("timeout 180 soffice -env:UserInstallation=" + shellQuoted(profile) + " --headless --convert-to "
               + shellQuoted(filter) + " --outdir " + shellQuoted(out.string()) + " " + shellQuoted(document.string())
               + " >/dev/null 2>&1");
    const std::filesystem::path converted = out / (document.stem().string() + "." + extension);
    return std::filesystem::exists(converted) ? converted : std::filesystem::path();
}

std::string pdfText(const std::filesystem::path &pdf)
{
    return runCommand("pdftotext -layout " + shellQuoted(pdf.string()) + " - 2>/dev/null").output;
}

std::vector<std::string> textLines(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += text[i];
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::size_t occurrences(const std::string &text, const std::string &what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

} // namespace camlog::test
