// The rename commands: names built from what a file says, the shortening of suffixes, and the
// rename on disk with the scn and srt companions.
#include "commands/rename_handlers.h"

#include "commands/command_failure.h"
#include "core/avi_fichier.h"
#include "core/format.h"
#include "scenes/companion_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace camlog::commands {

namespace fs = std::filesystem;

namespace {
enum class NameState { Free, Taken, Unknown };

NameState nameState(const std::string &path)
{
    std::error_code ec;
    const fs::file_type type = fs::symlink_status(fs::path(path), ec).type();
    if (type == fs::file_type::not_found)
        return NameState::Free;
    return ec ? NameState::Unknown : NameState::Taken;
}

// An error other than "not found" (a name too long, a folder not readable) counts as taken: a
// name in doubt is never used.
bool pathTaken(const std::string &path)
{
    return nameState(path) != NameState::Free;
}

char lowerAscii(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Replaces every occurrence of placeholder (two characters, case ignored) by value.
void replacePlaceholder(std::string &text, std::string_view placeholder, std::string_view value)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (i + 1 < text.size() && text[i] == '%' && lowerAscii(text[i + 1]) == lowerAscii(placeholder[1])) {
            result += value;
            i += 2;
        } else {
            result += text[i++];
        }
    }
    text = std::move(result);
}

struct SplitPath {
    std::string folder; // with its trailing "/"
    std::string name;   // without extension
    std::string extension;
};

SplitPath splitPath(const std::string &path)
{
    SplitPath parts;
    const std::size_t slash = path.rfind('/');
    parts.folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = fileName.rfind('.');
    parts.name = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    parts.extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
    return parts;
}

// The suffix after a "_" is one of the program's own endings: a conversion word, a time
// difference in parentheses, or a text with no letter before its last character (a datecode,
// a timecode, the number of a free name).
bool removableSuffix(std::string_view raw)
{
    std::string s(raw);
    const auto notBlank = [](unsigned char c) {
        return c != ' ';
    };
    s.erase(s.begin(), std::find_if(s.begin(), s.end(), notBlank));
    s.erase(std::find_if(s.rbegin(), s.rend(), notBlank).base(), s.end());
    std::transform(s.begin(), s.end(), s.begin(), lowerAscii);
    static const std::vector<std::string_view> words{"type2", "type1", "in", "ntsc", "pal",
                                                     "16x9",  "4x3",   "am", "pm",   "dvtype2"};
    if (std::find(words.begin(), words.end(), s) != words.end())
        return true;
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')')
        return true;
    const auto letter = std::find_if(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    return letter == s.end() || letter == s.end() - 1;
}

// The name (without folder and extension) cut at its last "_" when the suffix is removable.
bool shortenOnce(std::string &name)
{
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string::npos || !removableSuffix(std::string_view(name).substr(underscore + 1)))
        return false;
    name.erase(underscore);
    return true;
}

std::string templateDestination(const core::TaviFichier &fichier, std::string_view nameTemplate,
                                std::string_view dateFormat)
{
    const std::string expanded = ExpandNameTemplate(nameTemplate, dateFormat, fichier);
    const std::string fileName = expanded.substr(expanded.rfind('/') + 1);
    // A template that leaves no name (or only dots) names no file of the folder.
    if (fileName.find_first_not_of('.') == std::string::npos)
        return {};
    return FreeName(expanded, fichier.FullPath);
}

void renameOrFail(engine::TCommandEngine &ce, const std::string &from, const std::string &to)
{
    if (const std::error_code ec = RenameNoReplace(from, to))
        FailFile(ce, "Cannot rename " + from + " to " + to + ": " + ec.message());
}
} // namespace

bool HasDatecode(const core::TaviFichier &fichier)
{
    return fichier.DatecodeFound && fichier.Datecode.days() != 0.0;
}

bool HasTimecode(const core::TaviFichier &fichier)
{
    return fichier.TimecodeFound;
}

std::string ExpandNameTemplate(std::string_view nameTemplate, std::string_view dateFormat,
                               const core::TaviFichier &fichier)
{
    const SplitPath parts = splitPath(fichier.FullPath);
    std::string text(nameTemplate);
    replacePlaceholder(text, "%F", parts.name);
    replacePlaceholder(text, "%E", parts.extension);
    replacePlaceholder(text, "%D",
                       core::FormatDateTimePattern(dateFormat, fichier.Datecode + fichier.Shift).value_or(""));
    replacePlaceholder(text, "%T", fichier.TimecodeText);
    replacePlaceholder(text, "%C", fichier.Codec);
    replacePlaceholder(text, "%I", fichier.SizeText + fichier.AspectText);
    replacePlaceholder(text, "%A", fichier.AudioText);
    replacePlaceholder(text, "%U", fichier.DurationText);
    for (char &c : text) {
        switch (c) {
        case '<':
        case '>':
        case '"':
        case '/':
        case '\\':
        case '|':
            c = '_';
            break;
        case ':':
            c = '.';
            break;
        default:
            break;
        }
    }
    return parts.folder + text;
}

std::string FreeName(const std::string &path, const std::string &renamedFile)
{
    // A name that cannot even be looked up (too long, say) stays as it is: every numbered form
    // would fail alike, and the rename, which never replaces a file, reports the reason.
    if (path != renamedFile && nameState(path) != NameState::Taken)
        return path;
    const SplitPath parts = splitPath(path);
    for (unsigned long k = 1;; ++k) {
        std::string candidate = parts.folder + parts.name + "_" + std::to_string(k) + parts.extension;
        if (candidate != renamedFile && nameState(candidate) != NameState::Taken)
            return candidate;
    }
}

std::string AjouterDatecodeDestination(const core::TaviFichier &fichier, const prefs::Settings &settings)
{
    return templateDestination(fichier, settings.datecodeAvant ? "%D_%F%E" : "%F_%D%E", settings.formatAjouterDatecode);
}

std::string AjouterTimecodeDestination(const core::TaviFichier &fichier, const prefs::Settings &settings)
{
    return templateDestination(fichier, settings.timcodeAvant ? "%T_%F%E" : "%F_%T%E", settings.formatAjouterDatecode);
}

std::string RenommerDestination(const core::TaviFichier &fichier, const prefs::Settings &settings)
{
    return templateDestination(fichier, settings.templateRenommer, settings.formatRenommer);
}

// Only the file's own name is shortened: a "_" in a folder name must never move the file.
bool CanShortenName(const std::string &path)
{
    std::string name = splitPath(path).name;
    return shortenOnce(name);
}

std::string PurgerNomDestination(const std::string &path)
{
    SplitPath parts = splitPath(path);
    while (shortenOnce(parts.name)) {}
    if (parts.name.empty())
        return {};
    const std::string shortened = parts.folder + parts.name + parts.extension;
    if (shortened == path)
        return {};
    return FreeName(shortened, path);
}

std::error_code RenameNoReplace(const std::string &from, const std::string &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    int err = errno;
    if (err != EINVAL && err != ENOSYS)
        return {err, std::generic_category()};
    // A file system without the no-replace flag: a hard link fails on an existing name too.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return {};
    }
    err = errno;
    if (err == EEXIST)
        return {err, std::generic_category()};
    // Nor hard links (FAT, exFAT): the name was free when it was chosen; check once more.
    if (pathTaken(to))
        return {EEXIST, std::generic_category()};
    std::error_code ec;
    fs::rename(fs::path(from), fs::path(to), ec);
    return ec;
}

void RenommerExecution(const core::TaviFichier &fichier, const std::string &destination, engine::TCommandEngine &ce)
{
    const std::string &source = fichier.FullPath;
    if (destination.empty() || destination == source)
        return;
    struct Companion {
        std::string from;
        std::string to;
    };
    std::vector<Companion> companions;
    for (const std::string_view extension : {".scn", ".srt"}) {
        Companion companion{scenes::ChangeFileExtension(source, extension),
                            scenes::ChangeFileExtension(destination, extension)};
        if (companion.from != companion.to && pathTaken(companion.from))
            companions.push_back(std::move(companion));
    }
    // Nothing moves when a companion could not follow: the video would lose its scenes.
    for (const Companion &companion : companions)
        if (pathTaken(companion.to))
            FailFile(ce, "Cannot rename " + source + " to " + destination + ": " + companion.to + " already exists");

    renameOrFail(ce, source, destination);
    for (const Companion &companion : companions)
        if (const std::error_code ec = RenameNoReplace(companion.from, companion.to))
            ce.ErrorCommand("Cannot rename " + companion.from + " to " + companion.to + ": " + ec.message(),
                            engine::etError);
}

} // namespace camlog::commands
