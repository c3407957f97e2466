// What every office document of a scene list says besides its scenes: the program, its maker,
// the time of the export, and the texts built from them.
#pragma once

#include "core/date_time.h"
#include "core/format.h"
#include "scenes/scene_class.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace camlog::scenes::office {

struct OfficeExportInfo {
    std::string programName = "Camlog";
    std::string version = "7.0.9";
    std::string language = "En";
    std::string maker = "Ovrand";
    std::string webSite; // the maker's site
    // The time printed in the documents; the local time now when empty.
    std::function<core::DateTime()> now;
    // Locale texts of the printed dates; the C library's current locale when null.
    const core::DateTimeLocale *locale = nullptr;

    // "Camlog 7.0.9En".
    std::string fullName() const { return programName + " " + version + language; }
};

// The export time formatted with a date-time pattern ("dddddd 'at' hh:mm:ss").
std::string FormatExportTime(const OfficeExportInfo &info, std::string_view pattern);

// The three lines of the footer of the documents: "List of scenes of the file  <path>",
// "Realized with <full name> by <maker> on <now>", "Visit the web site <address>".
std::array<std::string, 3> FooterLines(const OfficeExportInfo &info, const std::string &videoPath);

// "exported by Camlog version 7.0.9 En".
std::string ExportedByText(const OfficeExportInfo &info);

// The file name of a path, with or without its extension.
std::string FileNameOf(const std::string &path);
std::string FileNameWithoutExtension(const std::string &path);

// The eight values of a scene's spreadsheet row, in column order B to I: number, start, end,
// duration, datecode, timecode, title, subtitle.
std::array<std::string, 8> SceneRowTexts(const TSceneClass &scene);

// The lines under a scene's picture in the text documents: "start - end", the duration line
// (durationLabel + duration text), datecode, timecode, title, subtitle.
std::array<std::string, 6> SceneCaptionLines(const TSceneClass &scene, std::string_view durationLabel);

// "Scene n°3".
std::string SceneNumberText(const TSceneClass &scene);

} // namespace camlog::scenes::office
