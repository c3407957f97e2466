// Scenes with their details filled, for the office document tests.
#pragma once

#include "scenes/office/office_texts.h"
#include "scenes/scene_class.h"

#include <memory>
#include <string>
#include <vector>

namespace camlog::scenes::test {

// Scene n (1-based) of a 25 frames-per-second video: 50 frames long, datecode 01/05/2024 at
// 10:0n:00, timecode 00.00.0n.00, a striped 300 x 240 thumbnail (none when withPicture is false).
inline std::unique_ptr<TSceneClass> FilledScene(int n, const std::string &title, const std::string &subtitle,
                                                bool withPicture = true)
{
    SceneContext context;
    context.videoLoaded = true;
    context.frameRate = 25.0;
    auto scene = std::make_unique<TSceneClass>((n - 1) * 50, n * 50, context);
    scene->number = n;
    scene->startText = ScenePositionText(scene->start, 25.0);
    scene->endText = ScenePositionText(scene->end - 1, 25.0);
    scene->datecodeText = "01/05/2024 10:0" + std::to_string(n % 10) + ":00";
    scene->timecodeText = "00.00.0" + std::to_string(n % 10) + ".00";
    scene->title = title;
    scene->subtitle = subtitle;
    if (withPicture) {
        scene->thumbnail.reset(300, 240);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 300; ++x) {
                std::uint8_t *pixel = scene->thumbnail.row(y) + 3 * x;
                pixel[0] = static_cast<std::uint8_t>(x * 255 / 299);
                pixel[1] = static_cast<std::uint8_t>((y / 30) % 2 == 0 ? 200 : 40);
                pixel[2] = static_cast<std::uint8_t>(n * 40);
            }
    }
    scene->filled = true;
    return scene;
}

inline office::OfficeExportInfo FixedInfo()
{
    office::OfficeExportInfo info;
    info.version = "7.0.9";
    info.webSite = "https://www.camlog.org/";
    // Thursday 12 December 2024, 15:30:45.
    info.now = [] {
        core::DateTimeFields fields;
        fields.year = 2024;
        fields.month = 12;
        fields.day = 12;
        fields.hour = 15;
        fields.minute = 30;
        fields.second = 45;
        return core::DateTime::fromFields(fields).value_or(core::DateTime{});
    };
    return info;
}

} // namespace camlog::scenes::test
