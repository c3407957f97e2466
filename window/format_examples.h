// The examples the settings panel shows of its file-name formats: a sample name built from a
// pattern and a date format.
#pragma once

#include "core/date_time.h"
#include "prefs/settings.h"

#include <string>
#include <string_view>

namespace camlog::widgets {

// The pattern with its codes replaced, letter case ignored: %F "video", %E ".avi", %D the date
// in the date format, %T "0.54.32.10", %C "dvsd", %I "640x480", %A "48000Hz 16bits stereo",
// %U "30s 12fr"; then each of < > " / \ | becomes "_" and each colon ".".
std::string SampleFileName(std::string_view pattern, std::string_view dateFormat, core::DateTime now);

// The four examples of the panel.
struct FormatExamples {
    std::string display;     // now in "Format pour Afficher Datecode", as shown (slashes kept)
    std::string addDatecode; // "%D_%F%E" or "%F_%D%E" with "Format pour Ajouter Datecode"
    std::string addTimecode; // "%T_%F%E" or "%F_%T%E"
    std::string rename;      // "template renommer" with "Format pour Renommer"
};
FormatExamples ComputeFormatExamples(const prefs::Settings &settings, core::DateTime now);

} // namespace camlog::widgets
