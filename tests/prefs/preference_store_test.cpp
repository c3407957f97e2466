// The preference store on real files: typed reads, the empty-string marker, fonts, encodings, unreadable files, the mode at start, deletion.
#include "prefs/preference_store.h"

#include "prefs/current_settings.h"
#include "prefs/preference_deletion.h"
#include "prefs_test_env.h"

#include <gtest/gtest.h>

#include <QFile>

#include <filesystem>
#include <unistd.h>

namespace camlog::prefs {
namespace {

namespace fs = std::filesystem;
using test::PrefsTest;
using test::readFileBytes;
using test::utf16leFile;
using test::writeFileBytes;

const QString kSection = QStringLiteral("[\\Software\\Ovrand\\Camlog]\r\n");

class PreferenceStore : public PrefsTest {
protected:
    void writePortable(const QString &body) { writeFileBytes(m_env.portableFile, utf16leFile(kSection + body)); }
    void writeNormal(const QString &body) { writeFileBytes(m_env.normalFile, utf16leFile(kSection + body)); }
    TReadPreferences portableReader() const { return TReadPreferences(kKeyPath, pmPortable, m_env); }
};

TEST_F(PreferenceStore, ReadsIntegersBooleansAndFloatsFromText)
{
    writePortable(QStringLiteral("i1= 700 \r\ni2=abc\r\ni3=-12\r\ni4=99999999999\r\ni5=\r\ni6=+5\r\ni7=0x10\r\n"
                                 "b1=2\r\nb2= 0\r\nb3=0\r\nb4=\r\nb5=false\r\n"
                                 "f1=0.5\r\nf2= 0,25 \r\nf3=1e3\r\nf4=nan\r\nf5=x\r\nf6=1,234.5\r\n"));
    const auto r = portableReader();
    struct IntCase {
        const char *name;
        std::int32_t expected;
    };
    for (const auto &c : {IntCase{"i1", 700}, IntCase{"i2", 42}, IntCase{"i3", -12}, IntCase{"i4", 42},
                          IntCase{"i5", 42}, IntCase{"i6", 5}, IntCase{"i7", 42}, IntCase{"missing", 42}}) {
        EXPECT_EQ(r.ReadInteger(c.name, 42), c.expected) << c.name;
    }
    struct BoolCase {
        const char *name;
        bool defaultValue;
        bool expected;
    };
    for (const auto &c : {BoolCase{"b1", false, true}, BoolCase{"b2", true, false}, BoolCase{"b3", true, false},
                          BoolCase{"b4", false, true}, BoolCase{"b5", false, true}, BoolCase{"missing", true, true},
                          BoolCase{"missing", false, false}}) {
        EXPECT_EQ(r.ReadBool(c.name, c.defaultValue), c.expected) << c.name;
    }
    struct FloatCase {
        const char *name;
        double expected;
    };
    for (const auto &c : {FloatCase{"f1", 0.5}, FloatCase{"f2", 0.25}, FloatCase{"f3", 1000.0}, FloatCase{"f4", 7.5},
                          FloatCase{"f5", 7.5}, FloatCase{"f6", 7.5}, FloatCase{"missing", 7.5}}) {
        EXPECT_EQ(r.ReadFloat(c.name, 7.5), c.expected) << c.name;
    }
}

TEST_F(PreferenceStore, ValuesRoundTripThroughTheFile)
{
    {
        TWritePreferences w(kKeyPath, pmPortable, m_env);
        w.WriteBool("b", true);
        w.WriteInteger("i", -2147483647 - 1);
        w.WriteFloat("f", 0.1);
        w.WriteFloat("tiny", 1e-300);
        w.WriteString("s", " spaced \u00E9 ");
        w.WriteString("empty", "");
    }
    const auto r = portableReader();
    EXPECT_TRUE(r.ReadBool("b", false));
    EXPECT_EQ(r.ReadInteger("i", 0), -2147483647 - 1);
    EXPECT_EQ(r.ReadFloat("f", 0), 0.1);
    EXPECT_EQ(r.ReadFloat("tiny", 0), 1e-300);
    EXPECT_EQ(r.ReadString("s", "d"), " spaced \u00E9 ");
    EXPECT_EQ(r.ReadString("empty", "default"), "");
    const QByteArray file = readFileBytes(m_env.portableFile);
    EXPECT_TRUE(file.contains(utf16leFile(QStringLiteral("empty=#@vide\u00A7#\r\n")).mid(2)));
    EXPECT_TRUE(file.contains(utf16leFile(QStringLiteral("b=1\r\ni=-2147483648\r\nf=0.1\r\ntiny=1e-300\r\n")).mid(2)));
}

TEST_F(PreferenceStore, EmptyStringMarkerReadsAsEmptyAndWritingEmptyStoresIt)
{
    writePortable(QStringLiteral("a=#@vide\u00A7#\r\nb=\r\nc= #@vide\u00A7#\r\n"));
    const auto r = portableReader();
    EXPECT_EQ(r.ReadString("a", "d"), "");
    EXPECT_EQ(r.ReadString("b", "d"), "");
    EXPECT_EQ(r.ReadString("c", "d"), " #@vide\u00A7#");
}

TEST_F(PreferenceStore, FontsAreSevenEntriesEachWithItsOwnDefault)
{
    TfontRecord font{"DejaVu Sans", 11, 0x00123456, 1, 0, 1, 0};
    {
        TWritePreferences w(kKeyPath, pmPortable, m_env);
        w.WriteFont("IncrustFont", font);
    }
    const QStringList expectedLines = {
        QStringLiteral("[\\Software\\Ovrand\\Camlog]"), QStringLiteral("IncrustFont\\FontName=DejaVu Sans"),
        QStringLiteral("IncrustFont\\FontSize=11"),     QStringLiteral("IncrustFont\\FontColor=1193046"),
        QStringLiteral("IncrustFont\\FontBold=1"),      QStringLiteral("IncrustFont\\FontItalic=0"),
        QStringLiteral("IncrustFont\\FontUnderline=1"), QStringLiteral("IncrustFont\\FontStrikeOut=0"),
    };
    EXPECT_EQ(readFileBytes(m_env.portableFile), utf16leFile(expectedLines.join(QStringLiteral("\r\n")) + "\r\n"));
    EXPECT_EQ(portableReader().ReadFont("IncrustFont", TfontRecord{}), font);

    // A partial font: the entries present win, the others come from the default record.
    writePortable(QStringLiteral("F\\FontSize=20\r\nF\\FontColor=-16777216\r\nF\\FontItalic=1\r\n"));
    const TfontRecord fallback{"arial", 16, 0x00FFFFFF, 0, 0, 0, 1};
    const TfontRecord expected{"arial", 20, 0xFF000000u, 0, 1, 0, 1};
    EXPECT_EQ(portableReader().ReadFont("F", fallback), expected);
}

TEST_F(PreferenceStore, ReadsAnsiFilesWrittenOnWindows)
{
    QByteArray ansi("[\\Software\\Ovrand\\Camlog]\r\nD\xE9"
                    "calage Horaire=0,5\r\nFichier F3=#@vide\xA7#\r\n"
                    "texte1=\x80 100\r\n");
    writeFileBytes(m_env.portableFile, ansi);
    const auto r = portableReader();
    EXPECT_EQ(r.ReadFloat("D\u00E9calage Horaire", 0), 0.5);
    EXPECT_EQ(r.ReadString("Fichier F3", "d"), "");
    EXPECT_EQ(r.ReadString("texte1", "d"), "\u20AC 100");
}

TEST_F(PreferenceStore, RewritingAnAnsiFileKeepsItsOtherLinesAndWritesUtf16)
{
    writeFileBytes(m_env.portableFile,
                   QByteArray("; caf\xE9\r\n[other]\r\nx=1\r\n[\\Software\\Ovrand\\Camlog]\r\nk=1\r\n"));
    {
        TWritePreferences w(kKeyPath, pmPortable, m_env);
        w.WriteInteger("k", 2);
        w.WriteString("new", "n");
    }
    EXPECT_EQ(readFileBytes(m_env.portableFile),
              utf16leFile(
                  QStringLiteral("; caf\u00E9\r\n[other]\r\nx=1\r\n[\\Software\\Ovrand\\Camlog]\r\nk=2\r\nnew=n\r\n")));
}

TEST_F(PreferenceStore, UnreadableFilesGiveDefaultsWithoutCrashing)
{
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"garbage", QByteArray("\x00\x01\xFF\x80\x00\x9D\xC3", 7)},
        {"truncated UTF-16", utf16leFile(kSection + QStringLiteral("k=5")).left(9)},
        {"BOM only", QByteArray("\xFF\xFE", 2)},
        {"too big to be a settings file", QByteArray(5 * 1024 * 1024, 'k')},
    };
    for (const auto &c : cases) {
        writeFileBytes(m_env.portableFile, c.bytes);
        const auto r = portableReader();
        EXPECT_EQ(r.ReadInteger("k", 7), 7) << c.what;
        EXPECT_EQ(r.ReadString("k", "d"), "d") << c.what;
    }
    // Cut inside a surrogate pair: the entry is there, its number does not convert.
    writeFileBytes(m_env.portableFile, utf16leFile(kSection + QStringLiteral("k=\U0001F3A5")).chopped(1));
    EXPECT_EQ(portableReader().ReadInteger("k", 7), 7);
    EXPECT_FALSE(portableReader().ReadString("k", "d").empty());
}

TEST_F(PreferenceStore, AFolderInPlaceOfTheFileGivesDefaultsAndIsNeverReplaced)
{
    fs::create_directories(m_env.portableFile);
    EXPECT_EQ(portableReader().ReadInteger("k", 7), 7);
    TWritePreferences w(kKeyPath, pmPortable, m_env);
    w.WriteInteger("k", 1);
    EXPECT_FALSE(w.commit());
    EXPECT_TRUE(fs::is_directory(m_env.portableFile));
    // Nor does a folder there choose the portable mode.
    EXPECT_EQ(ChoosePreferenceMode(m_env), pmNone);
}

TEST_F(PreferenceStore, AFileThatCannotBeReadIsNotOverwritten)
{
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        // Too big to load: its lines would be lost if the writer replaced it.
        {"too big", QByteArray(5 * 1024 * 1024, 'x')},
        // Zero bytes that make no UTF-16: written back, its lines would be mangled.
        {"zero bytes of no encoding", QByteArray("[s]\r\nk=1\r\n\0\0\0\0k=2\r\n", 19)},
    };
    for (const auto &c : cases) {
        writeFileBytes(m_env.portableFile, c.bytes);
        {
            TWritePreferences w(kKeyPath, pmPortable, m_env);
            w.WriteInteger("k", 1);
        }
        EXPECT_EQ(readFileBytes(m_env.portableFile), c.bytes) << c.what;
    }
}

// A file saved in UTF-16 without a byte-order mark is read, and rewritten with its lines kept.
TEST_F(PreferenceStore, AUtf16FileWithoutMarkIsReadAndKeepsItsLines)
{
    writeFileBytes(m_env.portableFile,
                   utf16leFile(QStringLiteral("[other]\r\nx=1\r\n") + kSection + QStringLiteral("k=5\r\n")).mid(2));
    EXPECT_EQ(portableReader().ReadInteger("k", 7), 5);
    {
        TWritePreferences w(kKeyPath, pmPortable, m_env);
        w.WriteInteger("k", 6);
    }
    EXPECT_EQ(readFileBytes(m_env.portableFile),
              utf16leFile(QStringLiteral("[other]\r\nx=1\r\n") + kSection + QStringLiteral("k=6\r\n")));
}

TEST_F(PreferenceStore, AFileWithoutReadPermissionGivesDefaults)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    writePortable(QStringLiteral("k=5\r\n"));
    fs::permissions(m_env.portableFile, fs::perms::none);
    EXPECT_EQ(portableReader().ReadInteger("k", 7), 7);
    {
        TWritePreferences w(kKeyPath, pmPortable, m_env);
        w.WriteInteger("k", 1);
    }
    fs::permissions(m_env.portableFile, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(portableReader().ReadInteger("k", 7), 5);
}

TEST_F(PreferenceStore, NoneModeReadsDefaultsAndWritesNothing)
{
    writePortable(QStringLiteral("k=5\r\n"));
    writeNormal(QStringLiteral("k=5\r\n"));
    const TReadPreferences r(kKeyPath, pmNone, m_env);
    EXPECT_EQ(r.ReadInteger("k", 7), 7);
    EXPECT_EQ(r.ReadFont("F", TfontRecord{"a", 1, 2, 1, 1, 1, 1}), (TfontRecord{"a", 1, 2, 1, 1, 1, 1}));
    const QByteArray before = readFileBytes(m_env.portableFile);
    {
        TWritePreferences w(kKeyPath, pmNone, m_env);
        w.WriteInteger("k", 1);
        EXPECT_FALSE(w.commit());
    }
    EXPECT_EQ(readFileBytes(m_env.portableFile), before);
}

TEST_F(PreferenceStore, NormalModeUsesThePerUserFileAndCreatesItsFolder)
{
    ASSERT_FALSE(fs::exists(m_env.makerFolder()));
    {
        TWritePreferences w(kKeyPath, pmNormal, m_env);
        w.WriteString("k", "v");
    }
    EXPECT_EQ(m_env.normalFile, (m_root / "config" / "Ovrand" / "Camlog.ini").string());
    EXPECT_EQ(TReadPreferences(kKeyPath, pmNormal, m_env).ReadString("k", ""), "v");
    EXPECT_FALSE(fs::exists(m_env.portableFile));
}

TEST_F(PreferenceStore, AConfigFolderThatCannotBeMadeSkipsTheSave)
{
    fs::remove_all(m_root / "config");
    writeFileBytes((m_root / "config").string(), QByteArray("a file, not a folder"));
    TWritePreferences w(kKeyPath, pmNormal, m_env);
    w.WriteString("k", "v");
    EXPECT_FALSE(w.commit());
    EXPECT_EQ(TReadPreferences(kKeyPath, pmNormal, m_env).ReadString("k", "d"), "d");
    EXPECT_EQ(ChoosePreferenceMode(m_env), pmNone);
}

TEST_F(PreferenceStore, ConfigFolderFollowsXdgConfigHomeElseHome)
{
    EXPECT_EQ(PrefsEnvironment::forProgram("/p/camlog").normalFile, (m_root / "config/Ovrand/Camlog.ini").string());
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(PrefsEnvironment::forProgram("/p/camlog").normalFile,
              (m_root / "home/.config/Ovrand/Camlog.ini").string());
    qunsetenv("XDG_CONFIG_HOME");
    const auto env = PrefsEnvironment::forProgram("/p/camlog");
    EXPECT_EQ(env.snapdeckFile, (m_root / "home/.config/Ovrand/Snapdeck.ini").string());
    EXPECT_EQ(env.portableFile, "/p/Camlog.ini");
    EXPECT_EQ(env.programFolder(), "/p/");
}

TEST_F(PreferenceStore, ModeAtStart)
{
    const QString exename = QStringLiteral("Exename=") + QString::fromStdString(m_env.programFile);
    struct Case {
        const char *what;
        std::optional<QString> normalBody;
        bool portable;
        PreferenceMode expected;
    };
    const Case cases[] = {
        {"nothing stored", std::nullopt, false, pmNone},
        {"per-user file of this program", exename + "\r\n", false, pmNormal},
        {"same path in another letter case", exename.toUpper().replace("EXENAME", "Exename") + "\r\n", false, pmNormal},
        {"per-user file of a copy elsewhere", QStringLiteral("Exename=/elsewhere/camlog\r\n"), false, pmNone},
        {"per-user file without Exename", QStringLiteral("Width=5\r\n"), false, pmNone},
        {"empty Exename", QStringLiteral("Exename=\r\n"), false, pmNone},
        {"portable file wins", exename + "\r\n", true, pmPortable},
        {"portable file alone", std::nullopt, true, pmPortable},
    };
    for (const auto &c : cases) {
        fs::remove(m_env.normalFile);
        fs::remove(m_env.portableFile);
        if (c.normalBody) {
            writeNormal(*c.normalBody);
        }
        if (c.portable) {
            writeFileBytes(m_env.portableFile, QByteArray());
        }
        EXPECT_EQ(ChoosePreferenceMode(m_env), c.expected) << c.what;
    }
}

TEST_F(PreferenceStore, ReadRegistryStringReturnsTheRawValue)
{
    writeFileBytes(m_env.snapdeckFile,
                   utf16leFile(QStringLiteral("[\\Software\\Ovrand\\Snapdeck]\r\nExename=/opt/snap/snapdeck\r\n"
                                              "Marker=#@vide\u00A7#\r\n")));
    EXPECT_EQ(ReadRegistryString(m_env.snapdeckFile, kSnapdeckKeyPath, "Exename"), "/opt/snap/snapdeck");
    EXPECT_EQ(ReadRegistryString(m_env.snapdeckFile, kSnapdeckKeyPath, "Marker"), "#@vide\u00A7#");
    EXPECT_EQ(ReadRegistryString(m_env.snapdeckFile, kKeyPath, "Exename"), "");
    EXPECT_EQ(ReadRegistryString(m_env.normalFile, kSnapdeckKeyPath, "Exename"), "");
}

// ---- deletion ----

TEST_F(PreferenceStore, DeletingTheNormalStoreKeepsTheMakerFolderWhileSnapdeckUsesIt)
{
    writeNormal(QStringLiteral("k=1\r\n"));
    writeFileBytes(m_env.snapdeckFile, QByteArray("x"));
    DeleteRegistryPreferences(m_env);
    EXPECT_FALSE(fs::exists(m_env.normalFile));
    EXPECT_TRUE(fs::exists(m_env.snapdeckFile));

    fs::remove(m_env.snapdeckFile);
    writeNormal(QStringLiteral("k=1\r\n"));
    DeleteRegistryPreferences(m_env);
    EXPECT_FALSE(fs::exists(m_env.makerFolder()));
    DeleteRegistryPreferences(m_env); // nothing left: silent
}

TEST_F(PreferenceStore, DeletingThePortableFileRemovesAReadOnlyFile)
{
    writePortable(QStringLiteral("k=1\r\n"));
    fs::permissions(m_env.portableFile, fs::perms::owner_read);
    DeletePortableFile(m_env);
    EXPECT_FALSE(fs::exists(m_env.portableFile));
    DeletePortableFile(m_env);
}

TEST_F(PreferenceStore, DeletePreferencesAsksAndReports)
{
    std::vector<std::string> asked;
    const auto answer = [&](bool yes) {
        return [&asked, yes](const PrefsMessage &question) {
            asked.push_back(question.text);
            return yes;
        };
    };
    writePortable(QStringLiteral("k=1\r\n"));
    writeNormal(QStringLiteral("k=1\r\n"));

    EXPECT_EQ(DeletePreferences(m_env, answer(false)), DeletePreferencesOutcome::Cancelled);
    EXPECT_TRUE(fs::exists(m_env.portableFile));
    EXPECT_TRUE(fs::exists(m_env.normalFile));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Do you really want to delete the Preferences of Camlog");

    EXPECT_EQ(DeletePreferences(m_env, answer(true)), DeletePreferencesOutcome::Deleted);
    EXPECT_FALSE(fs::exists(m_env.portableFile));
    EXPECT_FALSE(fs::exists(m_env.normalFile));

    writeNormal(QStringLiteral("k=1\r\n"));
    EXPECT_EQ(DeletePreferences(m_env, answer(true)), DeletePreferencesOutcome::Deleted);
    EXPECT_EQ(DeletePreferences(m_env, answer(true)), DeletePreferencesOutcome::NotFound);

    const auto deleted = deletePreferencesReport(DeletePreferencesOutcome::Deleted);
    EXPECT_EQ(deleted.kind, MessageKind::Information);
    EXPECT_EQ(deleted.text, "Camlog has been completely deleted from your system.");
    const auto notFound = deletePreferencesReport(DeletePreferencesOutcome::NotFound);
    EXPECT_EQ(notFound.kind, MessageKind::Warning);
    EXPECT_EQ(notFound.text, "The preferences of Camlog were not found on your system.");
}

TEST_F(PreferenceStore, ChangingTheModeDeletesTheOtherStores)
{
    struct Case {
        PreferenceMode mode;
        bool portableKept;
        bool normalKept;
    };
    for (const auto &c : {Case{pmNormal, false, true}, Case{pmPortable, true, false}, Case{pmNone, false, false}}) {
        writePortable(QStringLiteral("k=1\r\n"));
        writeNormal(QStringLiteral("k=1\r\n"));
        ChangePreferenceMode(c.mode, m_env);
        EXPECT_EQ(currentPreferenceMode(), c.mode);
        EXPECT_EQ(fs::exists(m_env.portableFile), c.portableKept) << int(c.mode);
        EXPECT_EQ(fs::exists(m_env.normalFile), c.normalKept) << int(c.mode);
    }
    // Recording the mode found at start deletes nothing.
    writePortable(QStringLiteral("k=1\r\n"));
    writeNormal(QStringLiteral("k=1\r\n"));
    setCurrentPreferenceMode(pmNone);
    EXPECT_TRUE(fs::exists(m_env.portableFile));
    EXPECT_TRUE(fs::exists(m_env.normalFile));
}

} // namespace
} // namespace camlog::prefs
