// Rules around loading and saving: the moved portable installation, the output file names, the start-up sequence.
#include "prefs/settings_io.h"

#include "prefs/current_settings.h"
#include "prefs/output_file_name.h"
#include "prefs_test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace camlog::prefs {
namespace {

namespace fs = std::filesystem;
using test::PrefsTest;
using test::readFileBytes;
using test::utf16leFile;
using test::writeFileBytes;

struct PortableCase {
    const char *what;
    const char *stored;   // "Portable Path"
    const char *program;  // the program's folder now
    const char *value;    // "Dossier pour Sauver" before
    const char *expected; // after
};

TEST(PortablePathRule, MovesValuesInsideTheOldFolderOnly)
{
    const PortableCase cases[] = {
        {"inside the old folder", "/media/E/Tools/", "/media/F/Tools/", "/media/E/Tools/out/", "/media/F/Tools/out/"},
        {"the old folder itself", "/media/E/Tools/", "/media/F/Tools/", "/media/E/Tools/", "/media/F/Tools/"},
        {"letter case ignored", "/media/E/Tools/", "/media/F/Tools/", "/MEDIA/e/tools/out/", "/media/F/Tools/out/"},
        {"elsewhere stays", "/media/E/Tools/", "/media/F/Tools/", "/home/u/Videos/", "/home/u/Videos/"},
        {"a longer sibling name stays", "/media/E/Tools/", "/media/F/Tools/", "/media/E/Toolsbox/x",
         "/media/E/Toolsbox/x"},
        {"the folder without its '/' stays (its folder part is the parent)", "/media/E/Tools/", "/media/F/Tools/",
         "/media/E/Tools", "/media/E/Tools"},
        {"a stored path without '/' does not take siblings", "/media/E/Tools", "/media/F/Tools/", "/media/E/Toolsbox/x",
         "/media/E/Toolsbox/x"},
        {"no stored path", "", "/media/F/Tools/", "/media/E/Tools/out/", "/media/E/Tools/out/"},
        {"no program folder", "/media/E/Tools/", "", "/media/E/Tools/out/", "/media/E/Tools/out/"},
        {"empty value", "/media/E/Tools/", "/media/F/Tools/", "", ""},
        {"to a shorter folder", "/media/usb-key/portable/Camlog/", "/c/", "/media/usb-key/portable/Camlog/p/x.m3u",
         "/c/p/x.m3u"},
    };
    for (const auto &c : cases) {
        Settings s;
        s.portablePath = c.stored;
        s.dossierPourSauver = c.value;
        ApplyPortablePathRule(s, c.program);
        EXPECT_EQ(s.dossierPourSauver, c.expected) << c.what;
    }
}

TEST(PortablePathRule, AppliesToTheFourFoldersAndTheThreePrograms)
{
    Settings s;
    s.portablePath = "/old/";
    std::string Settings::*members[] = {
        &Settings::dossierOuvertureAuto, &Settings::folderToOpenFiles, &Settings::dossierPourSauver,
        &Settings::dossierPlayList,      &Settings::fichierF3,         &Settings::fichierF4,
        &Settings::fichierSnapdeck,      &Settings::sortIndex,         &Settings::templateRenommer};
    for (auto member : members) {
        s.*member = "/old/x";
    }
    ApplyPortablePathRule(s, "/new/");
    for (std::size_t i = 0; i < std::size(members); ++i) {
        EXPECT_EQ(s.*members[i], i < 7 ? "/new/x" : "/old/x") << i;
    }
    EXPECT_EQ(s.portablePath, "/old/");
}

struct OutputCase {
    const char *what;
    bool sameFolder;
    const char *saveFolder;
    const char *source;
    const char *ending;
    const char *expected;
};

TEST(OutputFileName, ReplacesTheExtensionBesideTheSourceOrInTheSaveFolder)
{
    const OutputCase cases[] = {
        {"same folder", true, "/d/out/", "/c/v/clip.avi", "_scn.txt", "/c/v/clip_scn.txt"},
        {"save folder", false, "/d/out/", "/c/v/clip.avi", "_scn.txt", "/d/out/clip_scn.txt"},
        {"only the last extension goes", true, "", "/c/v/clip.dv.avi", ".wav", "/c/v/clip.dv.wav"},
        {"no extension: the ending is added", true, "", "/c/v/clip", "_1.avi", "/c/v/clip_1.avi"},
        {"a dot in a folder name is no extension", false, "/d/out/", "/c/v.x/clip", ".srt", "/d/out/clip.srt"},
        {"a dot in a folder name, same folder", true, "", "/c/v.x/clip", ".srt", "/c/v.x/clip.srt"},
        {"save folder without its '/'", false, "/d/out", "/c/v/clip.avi", ".srt", "/d/out/clip.srt"},
        {"empty save folder means beside the source", false, "", "/c/v/clip.avi", ".srt", "/c/v/clip.srt"},
        {"file name without folder", false, "/d/out/", "clip.avi", ".srt", "/d/out/clip.srt"},
        {"non-ASCII names are kept byte for byte", false, "/d/\xC3\xA9t\xC3\xA9/", "/c/f\xC3\xAAte.avi", ".srt",
         "/d/\xC3\xA9t\xC3\xA9/f\xC3\xAAte.srt"},
    };
    for (const auto &c : cases) {
        Settings s;
        s.saveInSameFolder = c.sameFolder;
        s.dossierPourSauver = c.saveFolder;
        EXPECT_EQ(OutputFileName(c.source, c.ending, s), c.expected) << c.what;
    }
}

TEST(OutputFileName, TheShortFormUsesTheProcessWideSettings)
{
    const Settings saved = currentSettings();
    Settings s = saved;
    s.saveInSameFolder = false;
    s.dossierPourSauver = "/d/out/";
    setCurrentSettings(s);
    EXPECT_EQ(OutputFileName("/c/v/clip.avi", "_scn.txt"), "/d/out/clip_scn.txt");
    setCurrentSettings(saved);
}

class SettingsFiles : public PrefsTest {};

TEST_F(SettingsFiles, PreparingLoadedSettingsEndsFoldersWithSlashAndChecksTheSaveFolder)
{
    Settings s;
    s.folderToOpenFiles = "/a";
    s.dossierOuvertureAuto = "/b/";
    s.dossierPlayList = "";
    s.dossierPourSauver = (m_root / "home").string();
    s.saveInSameFolder = false;
    s.incrustSlidersVisible = true;
    PrepareLoadedSettings(s);
    EXPECT_EQ(s.folderToOpenFiles, "/a/");
    EXPECT_EQ(s.dossierOuvertureAuto, "/b/");
    EXPECT_EQ(s.dossierPlayList, "");
    EXPECT_EQ(s.dossierPourSauver, (m_root / "home").string() + "/");
    EXPECT_FALSE(s.saveInSameFolder);
    EXPECT_FALSE(s.incrustSlidersVisible);
    EXPECT_EQ(preferredPlaylist(s), "PlayList.txt");

    struct Case {
        const char *what;
        std::string folder;
    };
    for (const auto &c :
         {Case{"missing folder", (m_root / "nope").string()}, Case{"empty", ""}, Case{"a file", m_env.programFile}}) {
        if (c.folder == m_env.programFile) {
            writeFileBytes(m_env.programFile, QByteArray("x"));
        }
        s.dossierPourSauver = c.folder;
        s.saveInSameFolder = false;
        PrepareLoadedSettings(s);
        EXPECT_TRUE(s.saveInSameFolder) << c.what;
    }
}

// The default playlist is one file whatever the letter case it was stored under.
TEST_F(SettingsFiles, DefaultPlaylistIsFoundWhateverItsLetterCase)
{
    struct Case {
        const char *what;
        std::vector<std::string> present;
        std::string expected;
    };
    const Case cases[] = {
        {"none yet: the saving name", {}, "PlayList.txt"},
        {"lower case", {"playlist.txt"}, "playlist.txt"},
        {"upper case", {"PLAYLIST.TXT"}, "PLAYLIST.TXT"},
        {"exact name", {"PlayList.txt"}, "PlayList.txt"},
        {"exact name wins", {"playlist.txt", "PlayList.txt"}, "PlayList.txt"},
        {"a folder of that name is no playlist", {"playlist.txt/"}, "PlayList.txt"},
        {"other names ignored", {"playlist.txt.bak", "my playlist.txt"}, "PlayList.txt"},
    };
    int n = 0;
    for (const Case &c : cases) {
        const fs::path folder = m_root / "lists" / std::to_string(n++);
        fs::create_directories(folder);
        for (const std::string &name : c.present) {
            if (name.back() == '/')
                fs::create_directories(folder / name);
            else
                writeFileBytes((folder / name).string(), QByteArray("x"));
        }
        Settings s;
        s.dossierPlayList = folder.string() + "/";
        EXPECT_EQ(preferredPlaylist(s), (folder / c.expected).string()) << c.what;
    }
    Settings missing;
    missing.dossierPlayList = (m_root / "nowhere").string() + "/";
    EXPECT_EQ(preferredPlaylist(missing), (m_root / "nowhere" / "PlayList.txt").string());
}

TEST_F(SettingsFiles, FirstStartRunsOnDefaultsAndStoresNothing)
{
    const Settings s = LoadPreferencesAtStart(m_env, ScreenSize{1000, 800});
    EXPECT_EQ(currentPreferenceMode(), pmNone);
    EXPECT_EQ(s.width, 596);
    EXPECT_EQ(s.height, 546);
    EXPECT_EQ(s.left, 202);
    EXPECT_EQ(s.top, 127);
    EXPECT_EQ(s.folderToOpenFiles, (m_root / "home" / "Videos").string() + "/");
    EXPECT_EQ(s.dossierPlayList, (m_root / "home" / "Documents").string() + "/");
    EXPECT_EQ(s.fichierSnapdeck, "");
    EXPECT_TRUE(s.saveInSameFolder); // ~/Videos does not exist in the scratch home
    EXPECT_EQ(currentSettings(), s);

    Settings toSave = s;
    EXPECT_FALSE(SaveSettingsNow(toSave, pmNone, m_env, localNow()));
    EXPECT_FALSE(fs::exists(m_env.normalFile));
    EXPECT_FALSE(fs::exists(m_env.portableFile));
}

TEST_F(SettingsFiles, SavingNowRecordsTheProgramFolderAndTheNextStartFindsIt)
{
    Settings s = defaultSettings(m_env, ScreenSize{});
    s.intervalle = 12;
    ASSERT_TRUE(SaveSettingsNow(s, pmNormal, m_env, localNow()));
    EXPECT_EQ(s.portablePath, (m_root / "prog").string() + "/");

    const Settings loaded = LoadPreferencesAtStart(m_env, ScreenSize{});
    EXPECT_EQ(currentPreferenceMode(), pmNormal);
    EXPECT_EQ(loaded.intervalle, 12);

    // The same files seen by a copy of the program at another path: defaults, mode none.
    const auto other = PrefsEnvironment::forProgram((m_root / "other" / "camlog").string());
    EXPECT_EQ(LoadPreferencesAtStart(other, ScreenSize{}).intervalle, 30);
    EXPECT_EQ(currentPreferenceMode(), pmNone);
    EXPECT_TRUE(fs::exists(m_env.normalFile));
}

TEST_F(SettingsFiles, APortableInstallationMovedElsewhereKeepsItsFoldersInside)
{
    const auto oldEnv = PrefsEnvironment::forProgram((m_root / "E" / "Tools" / "camlog").string());
    const std::string oldFolder = oldEnv.programFolder();
    fs::create_directories(oldFolder);
    Settings s = defaultSettings(oldEnv, ScreenSize{});
    s.saveInSameFolder = false;
    s.dossierPourSauver = oldFolder + "out/";
    s.fichierF3 = oldFolder + "bin/player";
    s.fichierF4 = "/usr/bin/vlc";
    ASSERT_TRUE(SaveSettingsNow(s, pmPortable, oldEnv, localNow()));

    // The whole folder is copied to another place.
    const auto newEnv = PrefsEnvironment::forProgram((m_root / "F" / "Tools" / "camlog").string());
    fs::create_directories(m_root / "F" / "Tools");
    fs::copy_file(oldEnv.portableFile, newEnv.portableFile);
    fs::create_directories(newEnv.programFolder() + "out");

    const Settings loaded = LoadPreferencesAtStart(newEnv, ScreenSize{});
    EXPECT_EQ(currentPreferenceMode(), pmPortable);
    EXPECT_EQ(loaded.dossierPourSauver, newEnv.programFolder() + "out/");
    EXPECT_EQ(loaded.fichierF3, newEnv.programFolder() + "bin/player");
    EXPECT_EQ(loaded.fichierF4, "/usr/bin/vlc");
    EXPECT_FALSE(loaded.saveInSameFolder);

    // The rule belongs to the portable mode only.
    const auto normalCopy = PrefsEnvironment::forProgram(newEnv.programFile);
    writeFileBytes(normalCopy.normalFile, readFileBytes(newEnv.portableFile));
    EXPECT_EQ(LoadPreferences(pmNormal, normalCopy, ScreenSize{}).dossierPourSauver, oldFolder + "out/");
}

TEST_F(SettingsFiles, SnapdeckRegistersItsOwnPath)
{
    writeFileBytes(m_env.snapdeckFile,
                   utf16leFile(QStringLiteral("[\\Software\\Ovrand\\Snapdeck]\r\nExename=/opt/snapdeck\r\n")));
    EXPECT_EQ(defaultSettings(m_env, ScreenSize{}).fichierSnapdeck, "/opt/snapdeck");
    writeFileBytes(m_env.normalFile,
                   utf16leFile(QStringLiteral("[\\Software\\Ovrand\\Camlog]\r\nFichier Snapdeck=#@vide\u00A7#\r\n")));
    EXPECT_EQ(LoadPreferences(pmNormal, m_env, ScreenSize{}).fichierSnapdeck, "");
}

TEST_F(SettingsFiles, ASaveKeepsForeignLinesAndEntriesNoLongerUsed)
{
    writeFileBytes(m_env.normalFile,
                   utf16leFile(QStringLiteral("; kept\r\n[\\Software\\Ovrand\\Camlog]\r\nOld key=1\r\nVue=3\r\n"
                                              "[Other]\r\nVue=9\r\n")));
    Settings s = LoadPreferences(pmNormal, m_env, ScreenSize{});
    EXPECT_EQ(s.vue, 3);
    s.vue = 2;
    ASSERT_TRUE(SavePreferences(s, pmNormal, m_env, localNow()));
    const QByteArray file = readFileBytes(m_env.normalFile);
    EXPECT_TRUE(file.startsWith(
        utf16leFile(QStringLiteral("; kept\r\n[\\Software\\Ovrand\\Camlog]\r\nOld key=1\r\nVue=2\r\n"))));
    EXPECT_TRUE(file.endsWith(utf16leFile(QStringLiteral("Charger Snapdeck=1\r\n[Other]\r\nVue=9\r\n")).mid(2)));
}

TEST(MoveFoldersIntoProgramFolder, KeepsFoldersAlreadyInsideOnly)
{
    Settings s;
    s.folderToOpenFiles = "/media/KEY/camlog/in/";
    s.dossierPlayList = "/home/u/Documents/";
    s.dossierPourSauver = "";
    s.dossierOuvertureAuto = "/media/key/camlog/";
    s.fichierF3 = "/usr/bin/x";
    MoveFoldersIntoProgramFolder(s, "/media/key/camlog/");
    EXPECT_EQ(s.folderToOpenFiles, "/media/KEY/camlog/in/");
    EXPECT_EQ(s.dossierPlayList, "/media/key/camlog/");
    EXPECT_EQ(s.dossierPourSauver, "/media/key/camlog/");
    EXPECT_EQ(s.dossierOuvertureAuto, "/media/key/camlog/");
    EXPECT_EQ(s.fichierF3, "/usr/bin/x");
}

} // namespace
} // namespace camlog::prefs
