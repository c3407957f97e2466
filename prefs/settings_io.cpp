// Load and save of the settings catalogue, the portable-path rule and the rules applied after loading.
#include "prefs/settings_io.h"

#include "core/format.h"
#include "prefs/settings_catalogue.h"

#include <QDateTime>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>
#include <variant>
#include <vector>

namespace camlog::prefs {
namespace {

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

// Defaults that need the environment or the values read so far.
struct SystemDefaults {
    std::string videoFolder;
    std::string documentsFolder;
    std::string snapdeckProgram;
    ScreenSize screen;
};

std::string stringDefault(const SettingEntry &entry, const SystemDefaults &system)
{
    switch (entry.source) {
    case DefaultSource::VideoFolder:
        return system.videoFolder;
    case DefaultSource::DocumentsFolder:
        return system.documentsFolder;
    case DefaultSource::SnapdeckProgram:
        return system.snapdeckProgram;
    default:
        return std::string(std::get<std::string_view>(entry.fixedDefault));
    }
}

std::int32_t integerDefault(const SettingEntry &entry, const Settings &readSoFar, const SystemDefaults &system)
{
    switch (entry.source) {
    case DefaultSource::CentredTop:
        return (system.screen.height - readSoFar.height) / 2;
    case DefaultSource::CentredLeft:
        return (system.screen.width - readSoFar.width) / 2;
    default:
        return std::get<std::int32_t>(entry.fixedDefault);
    }
}

bool dependsOnWindowSize(const SettingEntry &entry)
{
    return entry.source == DefaultSource::CentredTop || entry.source == DefaultSource::CentredLeft;
}

void readEntry(const TReadPreferences &reader, const SettingEntry &entry, const SystemDefaults &system,
               Settings &settings)
{
    const auto key = entry.key;
    std::visit(
        [&](auto member) {
            using Member = decltype(member);
            if constexpr (std::is_same_v<Member, bool Settings::*>) {
                settings.*member = reader.ReadBool(key, std::get<bool>(entry.fixedDefault));
            } else if constexpr (std::is_same_v<Member, std::int32_t Settings::*>) {
                const std::int32_t fallback = integerDefault(entry, settings, system);
                const std::int32_t value = reader.ReadInteger(key, fallback);
                settings.*member = value < entry.minimum || value > entry.maximum ? fallback : value;
            } else if constexpr (std::is_same_v<Member, std::string Settings::*>) {
                settings.*member = reader.ReadString(key, stringDefault(entry, system));
            } else if constexpr (std::is_same_v<Member, double Settings::*>) {
                settings.*member = reader.ReadFloat(key, std::get<double>(entry.fixedDefault));
            } else if constexpr (std::is_same_v<Member, TfontRecord Settings::*>) {
                const TfontRecord &fallback = std::get<TfontRecord>(entry.fixedDefault);
                TfontRecord font = reader.ReadFont(key, fallback);
                if (font.Size == 0 || font.Size < entry.minimum || font.Size > entry.maximum)
                    font.Size = fallback.Size;
                settings.*member = font;
            }
        },
        entry.field);
}

std::string writtenOnlyText(const SettingEntry &entry, const PrefsEnvironment &env, core::DateTime now)
{
    switch (entry.source) {
    case DefaultSource::WrittenVersion:
        return std::string(kVersionText);
    case DefaultSource::WrittenLastSave:
        return core::FormatDateTimePattern(kLastSavingPattern, now).value_or(std::string());
    case DefaultSource::WrittenExename:
        return env.programFile;
    default:
        return {};
    }
}

void writeEntry(TWritePreferences &writer, const SettingEntry &entry, const Settings &settings,
                const PrefsEnvironment &env, core::DateTime now)
{
    const auto key = entry.key;
    std::visit(
        [&](auto member) {
            using Member = decltype(member);
            if constexpr (std::is_same_v<Member, std::monostate>) {
                writer.WriteString(key, writtenOnlyText(entry, env, now));
            } else if constexpr (std::is_same_v<Member, bool Settings::*>) {
                writer.WriteBool(key, settings.*member);
            } else if constexpr (std::is_same_v<Member, std::int32_t Settings::*>) {
                writer.WriteInteger(key, settings.*member);
            } else if constexpr (std::is_same_v<Member, std::string Settings::*>) {
                writer.WriteString(key, settings.*member);
            } else if constexpr (std::is_same_v<Member, double Settings::*>) {
                writer.WriteFloat(key, settings.*member);
            } else if constexpr (std::is_same_v<Member, TfontRecord Settings::*>) {
                writer.WriteFont(key, settings.*member);
            }
        },
        entry.field);
}

constexpr std::array<std::string Settings::*, 4> kFolderSettings = {
    &Settings::folderToOpenFiles,
    &Settings::dossierPourSauver,
    &Settings::dossierPlayList,
    &Settings::dossierOuvertureAuto,
};

constexpr std::array<std::string Settings::*, 7> kRelocatedSettings = {
    &Settings::dossierOuvertureAuto, &Settings::folderToOpenFiles, &Settings::dossierPourSauver,
    &Settings::dossierPlayList,      &Settings::fichierF3,         &Settings::fichierF4,
    &Settings::fichierSnapdeck,
};

} // namespace

Settings LoadPreferences(PreferenceMode mode, const PrefsEnvironment &env, ScreenSize screen)
{
    SystemDefaults system;
    system.videoFolder = defaultVideoFolder(env);
    system.documentsFolder = defaultDocumentsFolder(env);
    system.snapdeckProgram = ReadRegistryString(env.snapdeckFile, kSnapdeckKeyPath, "Exename");
    system.screen = screen;

    const TReadPreferences reader(kKeyPath, mode, env);
    Settings settings;
    // Two passes: the centred position needs the window size, which comes later in the table.
    for (const SettingEntry &entry : settingsCatalogue()) {
        if (!entry.writtenOnly() && !dependsOnWindowSize(entry)) {
            readEntry(reader, entry, system, settings);
        }
    }
    for (const SettingEntry &entry : settingsCatalogue()) {
        if (dependsOnWindowSize(entry)) {
            readEntry(reader, entry, system, settings);
        }
    }
    settings.retour = 1;
    if (mode == pmPortable) {
        ApplyPortablePathRule(settings, env.programFolder());
    }
    return settings;
}

Settings defaultSettings(const PrefsEnvironment &env, ScreenSize screen)
{
    return LoadPreferences(pmNone, env, screen);
}

bool SavePreferences(const Settings &settings, PreferenceMode mode, const PrefsEnvironment &env, core::DateTime now)
{
    if (mode == pmNone) {
        return false;
    }
    TWritePreferences writer(kKeyPath, mode, env);
    for (const SettingEntry &entry : settingsCatalogue()) {
        writeEntry(writer, entry, settings, env, now);
    }
    return writer.commit();
}

bool SaveSettingsNow(Settings &settings, PreferenceMode mode, const PrefsEnvironment &env, core::DateTime now)
{
    if (mode == pmNone) {
        return false;
    }
    settings.portablePath = env.programFolder();
    return SavePreferences(settings, mode, env, now);
}

void ApplyPortablePathRule(Settings &settings, const std::string &programFolder)
{
    QString stored = q(settings.portablePath);
    const QString folder = q(programFolder);
    if (stored.isEmpty() || folder.isEmpty()) {
        return;
    }
    // The program always stores the folder with its "/"; one edited without it must not
    // take "/x/Toolsbox/" for a folder inside "/x/Tools".
    if (!stored.endsWith(u'/')) {
        stored.append(u'/');
    }
    for (std::string Settings::*member : kRelocatedSettings) {
        const QString value = q(settings.*member);
        if (value.isEmpty()) {
            continue;
        }
        const QString valueFolder = value.left(value.lastIndexOf(u'/') + 1);
        if (valueFolder.size() >= stored.size()
            && valueFolder.left(stored.size()).compare(stored, Qt::CaseInsensitive) == 0) {
            settings.*member = (folder + value.mid(stored.size())).toStdString();
        }
    }
}

void PrepareLoadedSettings(Settings &settings)
{
    for (std::string Settings::*member : kFolderSettings) {
        std::string &value = settings.*member;
        if (!value.empty() && value.back() != '/') {
            value.push_back('/');
        }
    }
    if (!QFileInfo(q(settings.dossierPourSauver)).isDir()) {
        settings.saveInSameFolder = true;
    }
    settings.incrustSlidersVisible = false;
}

std::string preferredPlaylist(const Settings &settings)
{
    namespace fs = std::filesystem;
    constexpr std::string_view kName = "PlayList.txt";
    const fs::path folder(settings.dossierPlayList);
    std::error_code error;
    if (fs::is_regular_file(folder / kName, error))
        return (folder / kName).string();
    // File systems that tell letter cases apart: look for the other spellings of the same name.
    std::vector<fs::path> found;
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator it(where, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (QString::compare(q(name), q(std::string(kName)), Qt::CaseInsensitive) == 0
            && it->is_regular_file(typeError))
            found.push_back(folder / name);
    }
    if (found.empty())
        return (folder / kName).string();
    return std::min_element(found.begin(), found.end())->string();
}

void MoveFoldersIntoProgramFolder(Settings &settings, const std::string &programFolder)
{
    const QString folder = q(programFolder);
    if (folder.isEmpty()) {
        return;
    }
    for (std::string Settings::*member : kFolderSettings) {
        if (!q(settings.*member).startsWith(folder, Qt::CaseInsensitive)) {
            settings.*member = programFolder;
        }
    }
}

core::DateTime localNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    core::DateTimeFields fields;
    fields.year = now.date().year();
    fields.month = now.date().month();
    fields.day = now.date().day();
    fields.hour = now.time().hour();
    fields.minute = now.time().minute();
    fields.second = now.time().second();
    fields.millisecond = now.time().msec();
    return core::DateTime::fromFields(fields).value_or(core::DateTime());
}

} // namespace camlog::prefs
