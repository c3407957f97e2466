// The one table of all stored settings: key, type, default, valid range and users, in the order they are saved.
#pragma once

#include "core/program_version.h"
#include "prefs/settings.h"

#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <variant>

namespace camlog::prefs {

// Bounds of the inlay's values, wherever they come from (the settings file, the editor): a
// wider border or a longer inlay costs time for nothing, and from 30 points on the date passes
// the picture's edge at the stored position. A font size counts points, a negative one the
// pixel height of the character cell (37 pixels for 28 points).
inline constexpr std::int32_t kInlayBorderMax = 10;
inline constexpr std::int32_t kInlayFontSizeMin = -37;
inline constexpr std::int32_t kInlayFontSizeMax = 28;
inline constexpr std::int32_t kInlaySecondsMax = 3600;

// The member a key loads into; monostate for the keys that are only written.
using SettingField = std::variant<std::monostate, bool Settings::*, std::int32_t Settings::*, std::string Settings::*,
                                  double Settings::*, TfontRecord Settings::*>;

enum class SettingType { Boolean, Integer, String, Float, Font };

// Where a default comes from when it is not a fixed value.
enum class DefaultSource {
    Fixed,           // SettingEntry::fixedDefault
    VideoFolder,     // the user's video folder (documents folder when there is none)
    DocumentsFolder, // the user's documents folder
    SnapdeckProgram, // the "Exename" Snapdeck stored in its own settings file, else ""
    CentredTop,      // (screen height - "Height") / 2
    CentredLeft,     // (screen width - "Width") / 2
    WrittenVersion,  // written only: "Camlog 7.0.9En by Ovrand"
    WrittenLastSave, // written only: time of the save, "yyyy/mm/dd hh:nn:ss am/pm"
    WrittenExename,  // written only: the running program file
};

using SettingValue = std::variant<bool, std::int32_t, std::string_view, double, TfontRecord>;

struct SettingEntry {
    std::string_view key;
    SettingType type;
    SettingField field;
    DefaultSource source;
    SettingValue fixedDefault; // meaningful when source is Fixed
    // Integers: a stored value outside reads as the default. Fonts: the same for the size (and
    // a size of 0).
    std::int32_t minimum = std::numeric_limits<std::int32_t>::min();
    std::int32_t maximum = std::numeric_limits<std::int32_t>::max();
    std::string_view usedBy;

    bool writtenOnly() const { return std::holds_alternative<std::monostate>(field); }
};

// All keys in save order (a file written from scratch lists them in this order).
std::span<const SettingEntry> settingsCatalogue();

// Looks a key up (exact, case-sensitive); null when it is not a setting.
const SettingEntry *findSetting(std::string_view key);

inline constexpr std::string_view kVersionText = "Camlog " CAMLOG_VERSION "En by Ovrand";
inline constexpr std::string_view kLastSavingPattern = "yyyy/mm/dd hh:nn:ss am/pm";

// "arial", 16 points, white, no styles.
TfontRecord defaultIncrustFont();

} // namespace camlog::prefs
