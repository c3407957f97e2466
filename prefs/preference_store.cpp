// Typed reads and writes of settings in the per-user or portable settings file, and the choice of mode at start.
#include "prefs/preference_store.h"

#include "prefs/ini_file.h"
#include "prefs/ini_lines.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace camlog::prefs {
namespace {

constexpr std::array<std::string_view, 7> kFontSuffixes = {
    "FontName", "FontSize", "FontColor", "FontBold", "FontItalic", "FontUnderline", "FontStrikeOut",
};

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString sectionHeaderOf(std::string_view keyPath)
{
    return u'[' + toQString(keyPath) + u']';
}

QString fontKey(std::string_view settingName, std::size_t suffix)
{
    return toQString(settingName) + u'\\' + toQString(kFontSuffixes[suffix]);
}

std::optional<std::int32_t> parseInteger(const QString &raw)
{
    const std::string text = trimBlank(raw).toStdString();
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
            return std::nullopt;
        }
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

// Files written under a locale with a decimal comma hold "0,5"; both separators are read.
std::optional<double> parseFloat(const QString &raw)
{
    std::string text = trimBlank(raw).toStdString();
    if (text.find('.') == std::string::npos) {
        const auto comma = text.find(',');
        if (comma != std::string::npos && text.find(',', comma + 1) == std::string::npos) {
            text[comma] = '.';
        }
    }
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString formatFloat(double value)
{
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (error != std::errc()) {
        return QStringLiteral("0");
    }
    return QString::fromLatin1(buffer.data(), end - buffer.data());
}

} // namespace

std::string preferenceFile(PreferenceMode mode, const PrefsEnvironment &env)
{
    switch (mode) {
    case pmNormal:
        return env.normalFile;
    case pmPortable:
        return env.portableFile;
    case pmNone:
        break;
    }
    return {};
}

// ---- reading ----

TReadPreferences::TReadPreferences(std::string_view keyPath, PreferenceMode mode, const PrefsEnvironment &env)
    : m_sectionHeader(sectionHeaderOf(keyPath)),
      m_mode(mode)
{
    const std::string file = preferenceFile(mode, env);
    if (!file.empty()) {
        IniFileContent content = readIniFile(QString::fromStdString(file));
        m_lines = std::move(content.lines);
    }
}

std::optional<QString> TReadPreferences::lookUp(std::string_view name) const
{
    if (m_mode == pmNone) {
        return std::nullopt;
    }
    return findEntry(m_lines, m_sectionHeader, toQString(name));
}

bool TReadPreferences::ReadBool(std::string_view name, bool defaultValue) const
{
    const auto text = lookUp(name);
    return text ? trimBlank(*text) != QStringLiteral("0") : defaultValue;
}

std::int32_t TReadPreferences::ReadInteger(std::string_view name, std::int32_t defaultValue) const
{
    const auto text = lookUp(name);
    if (!text) {
        return defaultValue;
    }
    return parseInteger(*text).value_or(defaultValue);
}

std::string TReadPreferences::ReadString(std::string_view name, std::string_view defaultValue) const
{
    const auto text = lookUp(name);
    if (!text) {
        return std::string(defaultValue);
    }
    std::string value = text->toStdString();
    return value == kEmptyStringMarker ? std::string() : value;
}

double TReadPreferences::ReadFloat(std::string_view name, double defaultValue) const
{
    const auto text = lookUp(name);
    if (!text) {
        return defaultValue;
    }
    return parseFloat(*text).value_or(defaultValue);
}

TfontRecord TReadPreferences::ReadFont(std::string_view settingName, const TfontRecord &defaultValue) const
{
    const auto key = [&](std::size_t suffix) {
        return fontKey(settingName, suffix).toStdString();
    };
    const auto flag = [&](std::size_t suffix, std::uint8_t def) -> std::uint8_t {
        return ReadBool(key(suffix), def != 0) ? 1 : 0;
    };
    TfontRecord font;
    font.Name = ReadString(key(0), defaultValue.Name);
    font.Size = ReadInteger(key(1), defaultValue.Size);
    font.Color = static_cast<std::uint32_t>(ReadInteger(key(2), static_cast<std::int32_t>(defaultValue.Color)));
    font.Bold = flag(3, defaultValue.Bold);
    font.Italic = flag(4, defaultValue.Italic);
    font.Underline = flag(5, defaultValue.Underline);
    font.StrikeOut = flag(6, defaultValue.StrikeOut);
    return font;
}

// ---- writing ----

TWritePreferences::TWritePreferences(std::string_view keyPath, PreferenceMode mode, const PrefsEnvironment &env)
    : m_sectionHeader(sectionHeaderOf(keyPath)),
      m_mode(mode),
      m_file(QString::fromStdString(preferenceFile(mode, env)))
{
    if (m_file.isEmpty()) {
        m_blocked = true;
        return;
    }
    IniFileContent content = readIniFile(m_file);
    m_blocked = content.state == IniFileState::Unreadable;
    m_lines = std::move(content.lines);
}

TWritePreferences::~TWritePreferences()
{
    commit();
}

bool TWritePreferences::commit()
{
    if (m_committed || m_blocked) {
        return false;
    }
    m_committed = true;
    return writeIniFile(m_file, m_lines, m_mode == pmNormal);
}

void TWritePreferences::writeText(std::string_view name, const QString &text)
{
    if (m_blocked || m_committed) {
        return;
    }
    writeEntry(m_lines, m_sectionHeader, toQString(name), text);
}

void TWritePreferences::WriteBool(std::string_view name, bool value)
{
    writeText(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TWritePreferences::WriteInteger(std::string_view name, std::int32_t value)
{
    writeText(name, QString::number(value));
}

void TWritePreferences::WriteString(std::string_view name, std::string_view value)
{
    writeText(name, toQString(value.empty() ? kEmptyStringMarker : value));
}

void TWritePreferences::WriteFloat(std::string_view name, double value)
{
    writeText(name, formatFloat(std::isfinite(value) ? value : 0.0));
}

void TWritePreferences::WriteFont(std::string_view settingName, const TfontRecord &value)
{
    const auto key = [&](std::size_t suffix) {
        return fontKey(settingName, suffix).toStdString();
    };
    WriteString(key(0), value.Name);
    WriteInteger(key(1), value.Size);
    WriteInteger(key(2), static_cast<std::int32_t>(value.Color));
    WriteBool(key(3), value.Bold != 0);
    WriteBool(key(4), value.Italic != 0);
    WriteBool(key(5), value.Underline != 0);
    WriteBool(key(6), value.StrikeOut != 0);
}

// ---- program-wide routines ----

std::string ReadRegistryString(const std::string &file, std::string_view keyPath, std::string_view valueName)
{
    if (file.empty()) {
        return {};
    }
    const IniFileContent content = readIniFile(QString::fromStdString(file));
    const auto value = findEntry(content.lines, sectionHeaderOf(keyPath), toQString(valueName));
    return value ? value->toStdString() : std::string();
}

PreferenceMode ChoosePreferenceMode(const PrefsEnvironment &env)
{
    if (!env.portableFile.empty() && iniFileExists(QString::fromStdString(env.portableFile))) {
        return pmPortable;
    }
    const QString stored = QString::fromStdString(ReadRegistryString(env.normalFile, kKeyPath, "Exename"));
    const QString program = QString::fromStdString(env.programFile);
    // An empty path on both sides is no match: it would take any stray file for ours.
    if (!stored.isEmpty() && stored.toLower() == program.toLower()) {
        return pmNormal;
    }
    return pmNone;
}

} // namespace camlog::prefs
