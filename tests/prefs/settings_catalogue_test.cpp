// The settings table against the list of stored keys: names, types, save order, defaults, ranges, and a full round trip.
#include "prefs/settings_catalogue.h"

#include "prefs/settings_io.h"
#include "prefs_test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace camlog::prefs {
namespace {

using test::PrefsTest;
using test::readFileBytes;
using test::utf16leFile;
using test::writeFileBytes;

// Written out independently of the table: the stored keys in save order, their type
// letter and the text a save of the defaults writes. <...> stands for values of the
// environment, "" for the empty-string marker.
struct ExpectedKey {
    const char *key;
    char type;
    const char *stored;
};

const ExpectedKey kExpected[] = {
    {"version", 'S', "Camlog 7.0.9En by Ovrand"},
    {"Last saving", 'S', "<last saving>"},
    {"Exename", 'S', "<program>"},
    {"Top", 'I', "267"},
    {"Left", 'I', "662"},
    {"Width", 'I', "596"},
    {"Height", 'I', "546"},
    {"WindoState", 'I', "0"},
    {"SendTo", 'B', "0"},
    {"Select when opening", 'B', "0"},
    {"Save list when quit", 'B', "0"},
    {"Format pour Ajouter Datecode", 'S', "yyyy.mm.dd_hh.nn.ss_am/pm"},
    {"Format pour Ajouter Timecode", 'S', "ddddd tt"},
    {"Format pour Afficher Datecode", 'S', "ddddd tt"},
    {"Format pour Renommer", 'S', "yyyymmdd_hh.nn.ss_am/pm"},
    {"Folder to open files", 'S', "<video>"},
    {"Dossier \u00E0 ouverture auto", 'S', "<video>"},
    {"Dossier des PlayList", 'S', "<documents>"},
    {"Save in the same folder", 'B', "1"},
    {"Dossier pour Sauver", 'S', "<video>"},
    {"formatdate1", 'S', "ddddd"},
    {"formatdate2", 'S', "tt"},
    {"When Incrust", 'I', "2"},
    {"IncrustFont", 'F', "arial|16|16777215|0|0|0|0"},
    {"Dur\u00E9e Incrustation", 'I', "5"},
    {"Border Size", 'I', "2"},
    {"Fichier F3", 'S', ""},
    {"Fichier F4", 'S', ""},
    {"Fichier Snapdeck", 'S', "/opt/snap deck/snapdeck"},
    {"Frequence DV", 'I', "2"},
    {"standard DV", 'I', "0"},
    {"ratio DV", 'I', "0"},
    {"Sort index", 'S', "alpha"},
    {"Tri des raccourcis", 'I', "0"},
    {"Portable Path", 'S', ""},
    {"Vue", 'I', "0"},
    {"Retour", 'I', "1"},
    {"Volume", 'I', "5000"},
    {"is Mute on", 'B', "0"},
    {"Incrust positionX", 'I', "920"},
    {"Incrust positionY", 'I', "920"},
    {"Incrust Sliders Visible", 'B', "0"},
    {"Alignement", 'I', "2"},
    {"What Incrust", 'I', "0"},
    {"is Incrust On", 'B', "0"},
    {"Decalage avanc\u00E9", 'B', "0"},
    {"Format pour Incruster Datecode1", 'S', "ddddd"},
    {"Format pour Incruster Datecode2", 'S', "tt"},
    {"D\u00E9calage Horaire", 'D', "0"},
    {"texte1", 'S', "Your template here"},
    {"texte2", 'S', "with datecode=%D, timecode=%T, etc..."},
    {"liste gauche", 'B', "0"},
    {"intervalle", 'I', "30"},
    {"template renommer", 'S', "video'%D.avi"},
    {"Datecode avant", 'B', "0"},
    {"Timcode avant", 'B', "0"},
    {"Format Dur\u00E9e", 'I', "0"},
    {"Deinterlace", 'B', "1"},
    {"Share preset", 'S', "medium"},
    {"Share CRF", 'I', "20"},
    {"Charger Snapdeck", 'B', "1"},
};

char typeLetter(SettingType type)
{
    switch (type) {
    case SettingType::Boolean:
        return 'B';
    case SettingType::Integer:
        return 'I';
    case SettingType::String:
        return 'S';
    case SettingType::Float:
        return 'D';
    case SettingType::Font:
        return 'F';
    }
    return '?';
}

TEST(SettingsCatalogue, KeysTypesAndOrderAreTheStoredOnes)
{
    const auto table = settingsCatalogue();
    ASSERT_EQ(table.size(), std::size(kExpected));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].key, kExpected[i].key) << "entry " << i;
        EXPECT_EQ(typeLetter(table[i].type), kExpected[i].type) << kExpected[i].key;
        EXPECT_EQ(findSetting(kExpected[i].key), &table[i]);
    }
    EXPECT_EQ(findSetting("width"), nullptr);
}

TEST(SettingsCatalogue, EveryKeyHasItsOwnMember)
{
    // Member pointers have no order, only equality.
    std::vector<SettingField> seen;
    for (const SettingEntry &entry : settingsCatalogue()) {
        if (!entry.writtenOnly()) {
            EXPECT_EQ(std::count(seen.begin(), seen.end(), entry.field), 0) << entry.key << " shares its member";
            seen.push_back(entry.field);
        }
        EXPECT_FALSE(entry.usedBy.empty()) << entry.key;
    }
}

class SettingsCatalogueFiles : public PrefsTest {
protected:
    void SetUp() override
    {
        PrefsTest::SetUp();
        writeFileBytes(
            m_env.snapdeckFile,
            utf16leFile(QStringLiteral("[\\Software\\Ovrand\\Snapdeck]\r\nExename=/opt/snap deck/snapdeck\r\n")));
    }
    const ScreenSize m_screen{1920, 1080};
};

TEST_F(SettingsCatalogueFiles, DefaultsSavedFromScratchListEveryKeyInOrder)
{
    const auto now = core::DateTime::fromFields({2024, 3, 5, 14, 7, 9, 0});
    ASSERT_TRUE(now);
    const Settings defaults = defaultSettings(m_env, m_screen);
    ASSERT_TRUE(SavePreferences(defaults, pmPortable, m_env, *now));

    const std::map<std::string, std::string> environment = {
        {"<last saving>", "2024/03/05 02:07:09 pm"},
        {"<program>", m_env.programFile},
        {"<video>", (m_root / "home" / "Videos").string()},
        {"<documents>", (m_root / "home" / "Documents").string()},
    };
    QStringList expected = {QStringLiteral("[\\Software\\Ovrand\\Camlog]")};
    const char *fontSuffixes[] = {"FontName",   "FontSize",      "FontColor",    "FontBold",
                                  "FontItalic", "FontUnderline", "FontStrikeOut"};
    for (const ExpectedKey &key : kExpected) {
        std::string stored = key.stored;
        if (const auto it = environment.find(stored); it != environment.end()) {
            stored = it->second;
        }
        if (key.type == 'F') {
            const QStringList parts = QString::fromStdString(stored).split(u'|');
            for (int i = 0; i < 7; ++i) {
                expected.append(QString::fromUtf8(key.key) + u'\\' + fontSuffixes[i] + u'=' + parts[i]);
            }
            continue;
        }
        if (stored.empty()) {
            stored = "#@vide\u00A7#";
        }
        expected.append(QString::fromUtf8(key.key) + u'=' + QString::fromStdString(stored));
    }
    EXPECT_EQ(readFileBytes(m_env.portableFile), utf16leFile(expected.join(QStringLiteral("\r\n")) + "\r\n"));
    EXPECT_EQ(LoadPreferences(pmNone, m_env, m_screen), defaults);
}

TEST_F(SettingsCatalogueFiles, EverySettingSurvivesASaveAndALoad)
{
    // A distinct non-default value for every member, set through the table.
    Settings changed = defaultSettings(m_env, m_screen);
    int n = 0;
    for (const SettingEntry &entry : settingsCatalogue()) {
        ++n;
        std::visit(
            [&](auto member) {
                using Member = decltype(member);
                if constexpr (std::is_same_v<Member, bool Settings::*>) {
                    changed.*member = !(changed.*member);
                } else if constexpr (std::is_same_v<Member, std::int32_t Settings::*>) {
                    const std::int32_t candidate = changed.*member + 1;
                    changed.*member = candidate <= entry.maximum ? candidate : entry.minimum;
                } else if constexpr (std::is_same_v<Member, std::string Settings::*>) {
                    changed.*member = "/value \u00E9 " + std::to_string(n);
                } else if constexpr (std::is_same_v<Member, double Settings::*>) {
                    changed.*member = -1.0 / 3.0;
                } else if constexpr (std::is_same_v<Member, TfontRecord Settings::*>) {
                    changed.*member = TfontRecord{"Font " + std::to_string(n), 9, 0x00010203, 1, 1, 1, 1};
                }
            },
            entry.field);
    }
    changed.retour = 1; // always 1 after a load
    ASSERT_TRUE(SavePreferences(changed, pmNormal, m_env, core::DateTime()));
    const Settings loaded = LoadPreferences(pmNormal, m_env, m_screen);
    EXPECT_EQ(loaded, changed);
    EXPECT_NE(loaded, defaultSettings(m_env, m_screen));
}

TEST_F(SettingsCatalogueFiles, StoredIntegersOutsideTheirRangeReadAsTheDefault)
{
    struct Case {
        const char *stored;
        std::int32_t Settings::*member;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"Vue=7", &Settings::vue, 0},
        {"Vue=4", &Settings::vue, 4},
        {"intervalle=0", &Settings::intervalle, 30},
        {"intervalle=1", &Settings::intervalle, 1},
        {"intervalle=abc", &Settings::intervalle, 30},
        {"Volume=-1", &Settings::volume, 5000},
        {"Volume=10000", &Settings::volume, 10000},
        {"WindoState=3", &Settings::windoState, 0},
        {"Width=0", &Settings::width, 596},
        {"Incrust positionY=1001", &Settings::incrustPositionY, 920},
        {"Alignement=3", &Settings::alignement, 3},
        {"When Incrust=-1", &Settings::whenIncrust, 2},
        {"Top=-20", &Settings::top, -20},
        // The inlay's values: a border of 400 or 2^31-1 seconds would cost time for nothing.
        {"Border Size=400", &Settings::borderSize, 2},
        {"Border Size=10", &Settings::borderSize, 10},
        {"Dur\u00E9e Incrustation=2147483647", &Settings::dureeIncrustation, 5},
        {"Dur\u00E9e Incrustation=3600", &Settings::dureeIncrustation, 3600},
    };
    for (const auto &c : cases) {
        writeFileBytes(m_env.normalFile, utf16leFile(QStringLiteral("[\\Software\\Ovrand\\Camlog]\r\n")
                                                     + QString::fromUtf8(c.stored) + "\r\n"));
        EXPECT_EQ(LoadPreferences(pmNormal, m_env, m_screen).*c.member, c.expected) << c.stored;
    }
}

// A stored font size beyond the inlay's bounds (or 0) reads as the default size; the font's
// other values are kept.
TEST_F(SettingsCatalogueFiles, StoredFontSizesOutsideTheirRangeReadAsTheDefault)
{
    const std::pair<const char *, std::int32_t> cases[] = {
        {"500", 16}, {"2147483647", 16}, {"0", 16}, {"-2147483647", 16}, {"30", 16}, {"28", 28}, {"-30", -30}, {"9", 9},
    };
    for (const auto &[stored, expected] : cases) {
        writeFileBytes(m_env.normalFile, utf16leFile(QStringLiteral("[\\Software\\Ovrand\\Camlog]\r\n"
                                                                    "IncrustFont\\FontName=DejaVu Sans\r\n"
                                                                    "IncrustFont\\FontSize=")
                                                     + QString::fromUtf8(stored) + "\r\n"));
        const TfontRecord font = LoadPreferences(pmNormal, m_env, m_screen).incrustFont;
        EXPECT_EQ(font.Size, expected) << stored;
        EXPECT_EQ(font.Name, "DejaVu Sans") << stored;
    }
}

TEST_F(SettingsCatalogueFiles, WindowCentresOnTheStoredSizeAndRetourIsAlwaysOne)
{
    writeFileBytes(m_env.normalFile, utf16leFile(QStringLiteral("[\\Software\\Ovrand\\Camlog]\r\nWidth=1000\r\n"
                                                                "Height=480\r\nRetour=3\r\n")));
    const Settings s = LoadPreferences(pmNormal, m_env, m_screen);
    EXPECT_EQ(s.left, 460);
    EXPECT_EQ(s.top, 300);
    EXPECT_EQ(s.retour, 1);
    // A window larger than the screen: negative, like the centring it stands for.
    EXPECT_EQ(LoadPreferences(pmNormal, m_env, ScreenSize{800, 400}).top, -40);
}

} // namespace
} // namespace camlog::prefs
