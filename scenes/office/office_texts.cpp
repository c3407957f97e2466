// What every office document of a scene list says besides its scenes.
#include "scenes/office/office_texts.h"

#include "scenes/write_scn_text.h"

namespace camlog::scenes::office {

std::string FormatExportTime(const OfficeExportInfo &info, std::string_view pattern)
{
    const core::DateTime now = info.now ? info.now() : LocalNow();
    const auto text = info.locale != nullptr ? core::FormatDateTimePattern(pattern, now, *info.locale)
                                             : core::FormatDateTimePattern(pattern, now);
    return text.value_or(std::string());
}

std::array<std::string, 3> FooterLines(const OfficeExportInfo &info, const std::string &videoPath)
{
    return {"List of scenes of the file  " + videoPath,
            "Realized with " + info.fullName() + " by " + info.maker + " on "
                + FormatExportTime(info, "dddddd \"at\" tt"),
            "Visit the web site " + info.webSite};
}

std::string ExportedByText(const OfficeExportInfo &info)
{
    return "exported by " + info.programName + " version " + info.version + " " + info.language;
}

std::string FileNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileNameWithoutExtension(const std::string &path)
{
    std::string name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

std::array<std::string, 8> SceneRowTexts(const TSceneClass &scene)
{
    return {std::to_string(scene.number), scene.startText,    scene.endText, scene.durationText,
            scene.datecodeText,           scene.timecodeText, scene.title,   scene.subtitle};
}

std::array<std::string, 6> SceneCaptionLines(const TSceneClass &scene, std::string_view durationLabel)
{
    return {scene.startText + " - " + scene.endText,
            std::string(durationLabel) + scene.durationText,
            scene.datecodeText,
            scene.timecodeText,
            scene.title,
            scene.subtitle};
}

std::string SceneNumberText(const TSceneClass &scene)
{
    return "Scene n\u00b0" + std::to_string(scene.number);
}

} // namespace camlog::scenes::office
