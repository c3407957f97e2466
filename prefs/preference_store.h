// The preference store: the storage mode, and the reader and writer of typed values in the settings file of that mode.
#pragma once

#include "prefs/prefs_environment.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace camlog::prefs {

// Stored as one byte; the values are those the settings panel shows in this order.
enum PreferenceMode : std::uint8_t {
    pmNormal = 0,   // per-user file <config>/Ovrand/Camlog.ini
    pmPortable = 1, // Camlog.ini beside the program file
    pmNone = 2,     // nothing read (all defaults), nothing saved
};

// Names the section of both settings files: the header line is "[" + key path + "]". Kept
// as the Windows key path so that files carried over from there keep their section.
inline constexpr std::string_view kKeyPath = "\\Software\\Ovrand\\Camlog";
inline constexpr std::string_view kSnapdeckKeyPath = "\\Software\\Ovrand\\Snapdeck";

// What an empty string is stored as, in both modes (UTF-8 here; "§" is U+00A7).
inline constexpr std::string_view kEmptyStringMarker = "#@vide\xC2\xA7#";

// A font setting; stored as seven entries "<setting>\FontName" ... "<setting>\FontStrikeOut".
struct TfontRecord {
    std::string Name;
    std::int32_t Size = 0;   // points
    std::uint32_t Color = 0; // 0x00BBGGRR
    std::uint8_t Bold = 0;   // 0 or 1, as the four below
    std::uint8_t Italic = 0;
    std::uint8_t Underline = 0;
    std::uint8_t StrikeOut = 0;

    bool operator==(const TfontRecord &) const = default;
};

// The settings file of a mode; empty in pmNone.
std::string preferenceFile(PreferenceMode mode, const PrefsEnvironment &env);

// Reads typed values for one load. Every read returns its default when the mode is pmNone,
// the file is missing or unreadable, the entry is missing, or its text does not convert.
class TReadPreferences {
public:
    TReadPreferences(std::string_view keyPath, PreferenceMode mode, const PrefsEnvironment &env);

    // False only for the trimmed text "0" (so "2" is true and "" is true).
    bool ReadBool(std::string_view name, bool defaultValue) const;
    // Decimal text, blanks around it allowed, within 32 bits.
    std::int32_t ReadInteger(std::string_view name, std::int32_t defaultValue) const;
    // The text as stored; the empty-string marker reads as "".
    std::string ReadString(std::string_view name, std::string_view defaultValue) const;
    // Decimal text with "." or "," as decimal separator, blanks around it allowed, finite.
    double ReadFloat(std::string_view name, double defaultValue) const;
    // Each of the seven entries with the matching member of the default as its default.
    TfontRecord ReadFont(std::string_view settingName, const TfontRecord &defaultValue) const;

    PreferenceMode mode() const { return m_mode; }

private:
    std::optional<QString> lookUp(std::string_view name) const;

    QString m_sectionHeader;
    PreferenceMode m_mode;
    QStringList m_lines;
};

// Edits the settings file of its mode in memory for one save and writes it once, at
// commit() or at destruction, whichever comes first. Lines it does not set (comments,
// other sections, entries no longer used) are kept. In pmNone nothing happens. When a file
// exists but cannot be read, nothing is written either: replacing it would lose lines that
// could not be seen.
class TWritePreferences {
public:
    TWritePreferences(std::string_view keyPath, PreferenceMode mode, const PrefsEnvironment &env);
    ~TWritePreferences();
    TWritePreferences(const TWritePreferences &) = delete;
    TWritePreferences &operator=(const TWritePreferences &) = delete;

    void WriteBool(std::string_view name, bool value); // "1" / "0"
    void WriteInteger(std::string_view name, std::int32_t value);
    void WriteString(std::string_view name, std::string_view value); // "" is stored as the marker
    void WriteFloat(std::string_view name, double value); // shortest text that reads back exactly, "." separator
    void WriteFont(std::string_view settingName, const TfontRecord &value);

    // Writes the file now (once); true when it was written. Later writes are ignored.
    bool commit();

private:
    void writeText(std::string_view name, const QString &text);

    QString m_sectionHeader;
    PreferenceMode m_mode;
    QString m_file;
    QStringList m_lines;
    bool m_blocked = false;
    bool m_committed = false;
};

// The raw text of one entry of a settings file (no marker translation); "" when the file,
// the section or the entry is missing, or the file cannot be read. Never fails.
std::string ReadRegistryString(const std::string &file, std::string_view keyPath, std::string_view valueName);

// The mode at start: pmPortable when the portable file exists; else pmNormal when the
// "Exename" stored in the per-user file equals the running program file ignoring letter
// case; else pmNone (a first start, or a copy of the program at another path).
PreferenceMode ChoosePreferenceMode(const PrefsEnvironment &env);

} // namespace camlog::prefs
