// The codes of scene titles.
#include "scenes/title_codes.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

namespace camlog::scenes {

namespace {

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool sameIgnoringCase(std::string_view text, std::size_t at, std::string_view value)
{
    if (at + value.size() > text.size())
        return false;
    for (std::size_t i = 0; i < value.size(); ++i)
        if (lower(text[at + i]) != lower(value[i]))
            return false;
    return true;
}

// Nothing, a blank or a punctuation character: what may stand around a whole word.
bool boundary(std::string_view text, std::size_t at)
{
    if (at >= text.size())
        return true;
    const auto c = static_cast<unsigned char>(text[at]);
    return c < 0x80 && (std::isspace(c) || std::ispunct(c));
}

// Every occurrence of prefix + word that stands as a whole word becomes prefix + code.
std::string replaceWord(std::string_view text, std::string_view prefix, std::string_view word, std::string_view code)
{
    const std::string whole = std::string(prefix) + std::string(word);
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (sameIgnoringCase(text, i, whole) && (i == 0 || boundary(text, i - 1)) && boundary(text, i + whole.size())) {
            out += text.substr(i, prefix.size());
            out += code;
            i += whole.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string datecodeIn(const std::string &pattern, const TSceneClass &scene, const SceneContext &context)
{
    const auto text = context.locale != nullptr ? core::FormatDateTimePattern(pattern, scene.datecode, *context.locale)
                                                : core::FormatDateTimePattern(pattern, scene.datecode);
    return text ? std::string(*text) : std::string();
}

bool hasDatecode(const TSceneClass &scene)
{
    return scene.datecode.days() > 0.0 && scene.datecodeText != "N/A";
}

} // namespace

TitlePathParts SplitTitlePath(std::string_view path)
{
    TitlePathParts parts;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    parts.folder = std::string(path.substr(0, nameStart));
    std::string_view name = path.substr(nameStart);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos) {
        parts.extension = std::string(name.substr(dot));
        name = name.substr(0, dot);
    }
    parts.name = std::string(name);
    return parts;
}

std::string ExpandTemplate(std::string_view text, const TSceneClass &scene, const TitleVideo &video,
                           const SceneContext &context)
{
    if (!video.active)
        return std::string(text);
    const TitlePathParts parts = SplitTitlePath(video.path);
    // The datecode follows the display format in force; a scene without one keeps "N/A".
    std::string datecode = scene.datecodeText;
    if (hasDatecode(scene)) {
        const std::string now = datecodeIn(context.datecodeFormat, scene, context);
        if (!now.empty())
            datecode = now;
    }
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        switch (lower(text[i + 1])) {
        case 'n':
            out += std::to_string(scene.number);
            break;
        case 'f':
            out += parts.name;
            break;
        case 'p':
            out += parts.folder;
            break;
        case 'e':
            out += parts.extension;
            break;
        case 'd':
            out += datecode;
            break;
        case 't':
            out += scene.timecodeText;
            break;
        case 'c':
            out += video.codec;
            break;
        case 'i':
            out += video.sizeText + video.aspectText;
            break;
        case 'a':
            out += video.audioText;
            break;
        case 'u':
            out += SceneDurationText(scene.frameCount(), context);
            break;
        default:
            out += text[i];
            continue;
        }
        ++i;
    }
    return out;
}

std::string CompressTitle(std::string_view text, const TSceneClass &scene, const TitleVideo &video,
                          const SceneContext &context)
{
    if (!video.active)
        return std::string(text);
    std::vector<std::pair<std::string, std::string_view>> values;
    for (int format = 0; format < 3; ++format) {
        SceneContext durations = context;
        durations.durationFormat = format;
        values.emplace_back(SceneDurationText(scene.frameCount(), durations), "%U");
    }
    values.emplace_back(scene.datecodeText, "%D");
    if (hasDatecode(scene)) {
        values.emplace_back(datecodeIn("ddddd tt", scene, context), "%D");
        values.emplace_back(datecodeIn("dddddd tt", scene, context), "%D");
    }
    const TitlePathParts parts = SplitTitlePath(video.path);
    values.emplace_back(parts.name, "%F");
    values.emplace_back(parts.folder, "%P");
    values.emplace_back(parts.extension, "%E");
    values.emplace_back(scene.timecodeText, "%T");
    values.emplace_back(video.codec, "%C");
    values.emplace_back(video.sizeText + video.aspectText, "%I");
    values.emplace_back(video.audioText, "%A");
    // One pass from left to right, the longest value first where several start at one place:
    // a duration "02:00" inside the datecode "10:02:00" stays part of the datecode.
    std::stable_sort(values.begin(), values.end(),
                     [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        for (const auto &[value, code] : values) {
            if (!value.empty() && sameIgnoringCase(text, i, value)) {
                out += code;
                i += value.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[i++];
    }
    const std::string number = std::to_string(scene.number);
    out = replaceWord(out, "", number, "%N");
    out = replaceWord(out, "Scene", number, "%N");
    return out;
}

} // namespace camlog::scenes
