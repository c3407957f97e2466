// The settings panel's rules (storage mode, examples, "Default", each control's setting), the
// about panel's texts, and both panels in the window: layout 2, F10 and F1, the layout returned.
#include "commands/shell/send_to_shortcut.h"
#include "headless/session/command_module.h"
#include "media/decoding/avi_probe.h"
#include "prefs/current_settings.h"
#include "prefs/settings_io.h"
#include "scenes/scn_file.h"
#include "support/test_files.h"
#include "window/apropos_frame.h"
#include "window/base_frame.h"
#include "window/codec_form.h"
#include "window/decalage_form.h"
#include "window/format_examples.h"
#include "window/intervalle_form.h"
#include "window/link_edit.h"
#include "window/options_frame.h"
#include "window/shortcut_table_form.h"
#include "window/vue_frame.h"
#include "window/window_session.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace camlog::widgets {
namespace {

namespace fs = std::filesystem;

core::DateTime at(int y, int mo, int d, int h, int mi, int s)
{
    return *core::DateTime::fromFields({y, mo, d, h, mi, s, 0});
}

class OptionsFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = test::scratchDir("OptionsFrame_" + name);
        fs::create_directories(dir / "program");
        fs::create_directories(dir / "config/Ovrand");
        environment.programFile = (dir / "program/camlog").string();
        environment.normalFile = (dir / "config/Ovrand/Camlog.ini").string();
        environment.portableFile = (dir / "program/Camlog.ini").string();
        environment.videoFolder = (dir / "videos/").string();
        environment.documentsFolder = (dir / "documents/").string();
        // The desktop entry goes to this test's own applications folder.
        const char *old = std::getenv("XDG_DATA_HOME");
        oldDataHome = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        settings = prefs::defaultSettings(environment, {1280, 1024});
        prefs::setCurrentSettings(settings);
        prefs::setCurrentPreferenceMode(prefs::pmNormal);
        frame = std::make_unique<TOptionsFrame>(environment);
        frame->setClock([] { return at(2008, 6, 4, 10, 5, 9).days(); });
    }

    void TearDown() override
    {
        frame.reset();
        if (oldDataHome)
            setenv("XDG_DATA_HOME", oldDataHome->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        fs::remove_all(dir);
    }

    void makeStores()
    {
        fs::create_directories(fs::path(environment.normalFile).parent_path());
        std::ofstream(environment.normalFile) << "x";
        std::ofstream(environment.portableFile) << "x";
    }

    fs::path entry() const { return dir / "data/applications/Camlog.desktop"; }

    fs::path dir;
    std::optional<std::string> oldDataHome;
    prefs::PrefsEnvironment environment;
    prefs::Settings settings;
    std::unique_ptr<TOptionsFrame> frame;
};

TEST_F(OptionsFrameTest, TheStorageModeRules)
{
    struct Case {
        prefs::PreferenceMode mode;
        bool listChecked, listEnabled, sendToChecked, sendToEnabled, buttonsEnabled, entry, normalFile, portableFile;
    };
    const Case cases[] = {
        {prefs::pmNone, false, false, false, false, false, false, false, false},
        {prefs::pmPortable, true, true, false, false, true, false, false, true},
        {prefs::pmNormal, true, true, true, true, true, true, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        makeStores();
        // Start from the opposite state of the boxes, the desktop entry present.
        ASSERT_TRUE(commands::CreateSendToShortcut("Camlog"));
        prefs::Settings start = settings;
        start.saveListWhenQuit = !c.listChecked;
        start.sendTo = true;
        prefs::setCurrentSettings(start);
        // Filled with another mode, so that clicking the case's mode is a change.
        frame->fill(start, c.mode == prefs::pmNormal ? prefs::pmPortable : prefs::pmNormal);
        ASSERT_TRUE(fs::exists(environment.normalFile)); // filling deletes nothing
        ASSERT_TRUE(fs::exists(environment.portableFile));

        frame->group("rgPrefs")->button(static_cast<int>(c.mode))->click();
        EXPECT_EQ(frame->chosenMode(), c.mode);
        EXPECT_EQ(prefs::currentPreferenceMode(), c.mode);
        EXPECT_EQ(frame->check("cbListe")->isChecked(), c.listChecked);
        EXPECT_EQ(frame->check("cbListe")->isEnabled(), c.listEnabled);
        EXPECT_EQ(prefs::currentSettings().saveListWhenQuit, c.listChecked);
        EXPECT_EQ(frame->check("cbSendTo")->isChecked(), c.sendToChecked);
        EXPECT_EQ(frame->check("cbSendTo")->isEnabled(), c.sendToEnabled);
        EXPECT_EQ(prefs::currentSettings().sendTo, c.sendToChecked);
        EXPECT_EQ(fs::exists(entry()), c.entry);
        EXPECT_EQ(frame->button("SpeedButton1")->isEnabled(), c.buttonsEnabled);
        EXPECT_EQ(frame->button("SpeedButton2")->isEnabled(), c.buttonsEnabled);
        EXPECT_EQ(fs::exists(environment.normalFile), c.normalFile);
        EXPECT_EQ(fs::exists(environment.portableFile), c.portableFile);
        // Nothing else is touched.
        EXPECT_TRUE(fs::is_directory(dir / "program"));
        EXPECT_TRUE(fs::is_directory(dir / "data/applications"));
    }
}

TEST_F(OptionsFrameTest, PortableModeMovesOutsideFoldersIntoTheProgramFolder)
{
    const std::string programFolder = (dir / "program/").string();
    prefs::Settings start = settings;
    start.folderToOpenFiles = "/elsewhere/videos/";
    start.dossierPlayList = programFolder + "lists/";
    start.dossierPourSauver = "/mnt/other/";
    start.dossierOuvertureAuto = programFolder;
    prefs::setCurrentSettings(start);
    frame->fill(start, prefs::pmNormal);
    frame->chooseMode(prefs::pmPortable);
    const prefs::Settings now = prefs::currentSettings();
    EXPECT_EQ(now.folderToOpenFiles, programFolder);
    EXPECT_EQ(now.dossierPlayList, programFolder + "lists/");
    EXPECT_EQ(now.dossierPourSauver, programFolder);
    EXPECT_EQ(now.dossierOuvertureAuto, programFolder);
    EXPECT_EQ(frame->edit("edDossierOuvrir")->text().toStdString(), programFolder);
    EXPECT_EQ(frame->edit("edDossierSave")->text().toStdString(), programFolder);
}

TEST_F(OptionsFrameTest, FillingAtStartMakesAndDeletesNothing)
{
    makeStores();
    prefs::Settings start = settings;
    start.sendTo = false;
    frame->fill(start, prefs::pmNormal);
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_TRUE(fs::exists(environment.normalFile));
    EXPECT_TRUE(fs::exists(environment.portableFile));
    EXPECT_FALSE(frame->check("cbSendTo")->isChecked());
    EXPECT_TRUE(frame->check("cbSendTo")->isEnabled());
    // The box makes and removes the entry.
    frame->check("cbSendTo")->click();
    EXPECT_TRUE(fs::exists(entry()));
    frame->check("cbSendTo")->click();
    EXPECT_FALSE(fs::exists(entry()));
    // In "Do not save" the two boxes are off and cannot be changed.
    frame->fill(start, prefs::pmNone);
    EXPECT_FALSE(frame->check("cbListe")->isEnabled());
    EXPECT_FALSE(frame->check("cbSendTo")->isEnabled());
    EXPECT_EQ(frame->group("rgPrefs")->checkedId(), static_cast<int>(prefs::pmNone));
}

TEST_F(OptionsFrameTest, TheExamplesOfTheFormats)
{
    struct Case {
        const char *display, *add, *rename, *templ;
        bool datecodeBefore, timecodeBefore;
        const char *displayExample, *addExample, *timecodeExample, *renameExample;
    };
    const Case cases[] = {
        {"yyyymmdd", "yyyymmdd", "yyyymmdd hh.nn.ss", "video'%D%E", false, false, "20080604", "video_20080604.avi",
         "video_0.54.32.10.avi", "video'20080604 10.05.09.avi"},
        {"yyyy/mm/dd hh:nn", "yyyy/mm/dd hh:nn", "hh:nn", "%f %c %i %a %u%e", true, true, "2008/06/04 10:05",
         "2008_06_04 10.05_video.avi", "0.54.32.10_video.avi", "video dvsd 640x480 48000Hz 16bits stereo 30s 12fr.avi"},
        {"yyyy", "yyyy", "yyyy", "a<b>c\"d|e\\f%Z", false, false, "2008", "video_2008.avi", "video_0.54.32.10.avi",
         "a_b_c_d_e_f%Z"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.templ);
        prefs::setCurrentSettings(settings);
        frame->fill(settings, prefs::pmNormal);
        frame->combo("cbAfficherDatecode")->setEditText(c.display);
        frame->combo("cbAjouterDatecode")->setEditText(c.add);
        frame->combo("cbRenommer")->setEditText(c.rename);
        QLineEdit *templ = frame->edit("edRenommer");
        templ->selectAll();
        QTest::keyClicks(templ, c.templ);
        frame->check("cbDatecodeavant")->setChecked(c.datecodeBefore);
        frame->check("cbTimecodeavant")->setChecked(c.timecodeBefore);
        EXPECT_EQ(frame->example("ExempleAfficher")->text().toStdString(), c.displayExample);
        EXPECT_EQ(frame->example("ExempleDatecode")->text().toStdString(), c.addExample);
        EXPECT_EQ(frame->example("ExempleTimecode")->text().toStdString(), c.timecodeExample);
        EXPECT_EQ(frame->example("ExempleRenommer")->text().toStdString(), c.renameExample);
        EXPECT_EQ(prefs::currentSettings().templateRenommer, c.templ);
    }
}

TEST_F(OptionsFrameTest, DefaultResetsTheFormatsTabOnly)
{
    frame->fill(settings, prefs::pmNormal);
    frame->combo("cbAfficherDatecode")->setEditText("tt");
    frame->combo("cbAjouterDatecode")->setEditText("tt");
    frame->combo("cbRenommer")->setEditText("tt");
    frame->edit("edRenommer")->setText("x");
    frame->check("cbDatecodeavant")->setChecked(true);
    frame->check("cbTimecodeavant")->setChecked(true);
    frame->check("cbDeinterlace")->setChecked(false);
    std::string shownFormat;
    frame->onDisplayFormat = [&](const std::string &pattern) {
        shownFormat = pattern;
    };
    frame->button("formatdefautBtn")->click();
    const prefs::Settings s = prefs::currentSettings();
    EXPECT_EQ(s.formatAjouterDatecode, "yyyy.mm.dd_hh.nn.ss_am/pm");
    EXPECT_EQ(s.formatAfficherDatecode, "ddddd tt");
    EXPECT_EQ(s.formatRenommer, "yyyymmdd hh.nn.ss");
    EXPECT_EQ(s.templateRenommer, "video'%D%E");
    EXPECT_FALSE(s.datecodeAvant);
    EXPECT_FALSE(s.timcodeAvant);
    EXPECT_FALSE(s.deinterlace);
    EXPECT_EQ(shownFormat, "ddddd tt");
    EXPECT_EQ(frame->combo("cbRenommer")->currentText().toStdString(), "yyyymmdd hh.nn.ss");
    EXPECT_EQ(frame->example("ExempleRenommer")->text().toStdString(), "video'20080604 10.05.09.avi");
}

TEST_F(OptionsFrameTest, EachControlWritesItsSettingAtOnce)
{
    frame->fill(settings, prefs::pmNormal);
    using S = prefs::Settings;
    const std::pair<const char *, bool S::*> boxes[] = {
        {"cbSelection", &S::selectWhenOpening},     {"cbListe", &S::saveListWhenQuit},
        {"cbDeinterlace", &S::deinterlace},         {"cbDatecodeavant", &S::datecodeAvant},
        {"cbTimecodeavant", &S::timcodeAvant},      {"cbsameFolder", &S::saveInSameFolder},
        {"cbChargerSnapdeck", &S::chargerSnapdeck},
    };
    for (const auto &[name, member] : boxes) {
        const bool before = prefs::currentSettings().*member;
        frame->check(name)->click();
        EXPECT_EQ(prefs::currentSettings().*member, !before) << name;
    }
    EXPECT_EQ(frame->edit("edDossierSave")->parentWidget()->isEnabled(), !prefs::currentSettings().saveInSameFolder);

    const std::pair<const char *, std::int32_t S::*> radios[] = {
        {"rgfrequenceDV", &S::frequenceDV},
        {"rgStandardDV", &S::standardDV},
        {"rgRatioDV", &S::ratioDV},
        {"rgFormatDuree", &S::formatDuree},
    };
    for (const auto &[name, member] : radios) {
        frame->group(name)->button(1)->click();
        EXPECT_EQ(prefs::currentSettings().*member, 1) << name;
        frame->group(name)->button(0)->click();
        EXPECT_EQ(prefs::currentSettings().*member, 0) << name;
    }

    QLineEdit *interval = frame->edit("edIntervalle");
    EXPECT_EQ(interval->text().toStdString(), "30");
    interval->selectAll();
    QTest::keyClicks(interval, "45");
    EXPECT_EQ(prefs::currentSettings().intervalle, 45);
    interval->selectAll();
    QTest::keyClicks(interval, "abc");
    EXPECT_EQ(prefs::currentSettings().intervalle, 0);

    std::vector<std::pair<int, std::string>> programs;
    frame->onProgramChosen = [&](int key, const std::string &program) {
        programs.emplace_back(key, program);
    };
    frame->chooseProgram("feFichierF3", "/usr/bin/vlc");
    frame->chooseProgram("feFichierF4", "/opt/kdenlive/kdenlive.AppImage");
    frame->chooseFolder("edDossierPlayList", "/data/lists");
    EXPECT_EQ(prefs::currentSettings().fichierF3, "/usr/bin/vlc");
    EXPECT_EQ(prefs::currentSettings().fichierF4, "/opt/kdenlive/kdenlive.AppImage");
    EXPECT_EQ(prefs::currentSettings().dossierPlayList, "/data/lists/");
    EXPECT_EQ(frame->edit("edDossierPlayList")->text().toStdString(), "/data/lists/");
    EXPECT_EQ(programs.size(), 2u);
}

TEST(AproposFrameTest, TheCreditsLinksAndTheSystemLine)
{
    TAproposFrame frame;
    AboutTexts texts;
    texts.fullName = "Camlog 7.0.9En by Ovrand";
    texts.homePage = "https://www.camlog.org/";
    texts.mailAddress = "contact@camlog.org";
    texts.lastUpdate = "04/06/2008";
    frame.SetTexts(texts);
    TLinkEdit &credits = *frame.credits();
    const QString text = credits.toPlainText();
    EXPECT_TRUE(text.contains("Its last update has been made on 04/06/2008.")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("To display the list of commands and shortcuts, click here or type F11."));

    std::vector<std::string> opened;
    frame.openAddress = [&](const QString &a) {
        opened.push_back("open " + a.toStdString());
    };
    frame.sendMail = [&](const QString &a, const QString &s) {
        opened.push_back("mail " + a.toStdString() + " " + s.toStdString());
    };
    int shortcuts = 0;
    frame.onShortcuts = [&] {
        ++shortcuts;
    };
    const int mail = static_cast<int>(credits.document()->find("an e-mail").selectionStart());
    EXPECT_EQ(credits.hintAt(mail).toStdString(), "Click here to send an e-mail to contact@camlog.org");
    credits.clickAt(mail);
    const int home = static_cast<int>(credits.document()->find("the homepage").selectionStart());
    EXPECT_EQ(credits.hintAt(home).toStdString(),
              "Click here to open the web page https://www.camlog.org/ in your default web browser");
    credits.clickAt(home);
    const int last = static_cast<int>(credits.document()->find("click here or type").selectionStart());
    EXPECT_EQ(credits.hintAt(last).toStdString(), "Display or hide the list of commands and shortcuts");
    credits.clickAt(last);
    EXPECT_EQ(opened, (std::vector<std::string>{"mail contact@camlog.org About Camlog 7.0.9En by Ovrand",
                                                "open https://www.camlog.org/"}));
    EXPECT_EQ(shortcuts, 1);
    // Five libraries, each a web link.
    int libraries = 0;
    for (const auto &link : credits.links())
        libraries += link.kind == TLinkEdit::LinkKind::Url && link.value != "https://www.camlog.org/";
    EXPECT_EQ(libraries, 5);

    const QString system = TAproposFrame::SystemLine("FFmpeg 9.9");
    frame.SetSystem(system);
    const QString line = frame.system()->toPlainText();
    EXPECT_TRUE(line.contains(QSysInfo::prettyProductName()));
    EXPECT_TRUE(line.contains(QSysInfo::kernelVersion()));
    EXPECT_TRUE(line.contains(QString("Qt ") + qVersion()));
    EXPECT_TRUE(line.contains("FFmpeg 9.9"));
}

// The system line asks FFmpeg its version, which loads FFmpeg: only once the panel shows.
TEST(AproposFrameTest, TheSystemLineIsMadeWhenThePanelFirstShows)
{
    TAproposFrame frame;
    int made = 0;
    frame.SetSystemSource([&made] {
        ++made;
        return TAproposFrame::SystemLine("FFmpeg 9.9");
    });
    EXPECT_EQ(made, 0);
    EXPECT_FALSE(frame.system()->toPlainText().contains("FFmpeg 9.9"));
    frame.show();
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(frame.system()->toPlainText().contains("FFmpeg 9.9"));
    frame.hide();
    frame.show();
    EXPECT_EQ(made, 1);
}

// ---- In the window ---------------------------------------------------------------------------------

class PanelsInWindowTest : public OptionsFrameTest {
protected:
    std::unique_ptr<WindowSession> makeWindow(std::vector<std::string> arguments)
    {
        context.prober = &prober;
        WindowStart start;
        start.settings = settings;
        start.environment = environment;
        start.context = &context;
        start.commands = commands.binding();
        start.identity = commands.identity();
        start.arguments = std::move(arguments);
        auto window = std::make_unique<WindowSession>(std::move(start));
        window->form().show();
        window->form().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window->form()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->started() && window->session().idle(); }, 20000));
        return window;
    }

    media::AviProber prober;
    core::AviFileContext context;
    session::CommandModule commands;
};

TEST_F(PanelsInWindowTest, F10AndF1ToggleThePanelsInLayoutTwoAndGiveBackTheLayout)
{
    fs::create_directories(dir / "tapes");
    fs::copy_file(test::fixturePath("tape_three-type2.avi"), dir / "tapes/tape_three-type2.avi");
    auto window = makeWindow({"/l=" + (dir / "tapes").string()});
    TUIForm &form = window->form();
    ASSERT_EQ(form.layout(), Layout::Normal);

    ASSERT_TRUE(window->execute("taOptions"));
    EXPECT_EQ(form.layout(), Layout::Panel);
    EXPECT_TRUE(window->optionsFrame()->isVisible());
    // The display format shows at once in the information panel.
    QLabel *datecode = form.baseFrame()->label("labDatecode");
    window->optionsFrame()->combo("cbAfficherDatecode")->setEditText("yyyy");
    EXPECT_EQ(datecode->text().size(), 4) << datecode->text().toStdString();
    EXPECT_EQ(prefs::currentSettings().formatAfficherDatecode, "yyyy");

    // F1 while the settings are open: they close, the about panel opens.
    ASSERT_TRUE(window->execute("taApropos"));
    EXPECT_FALSE(window->optionsFrame()->isVisible());
    EXPECT_TRUE(window->aproposFrame()->isVisible());
    EXPECT_EQ(form.layout(), Layout::Panel);
    ASSERT_TRUE(window->execute("taApropos"));
    EXPECT_FALSE(window->aproposFrame()->isVisible());
    EXPECT_EQ(form.layout(), Layout::Normal);

    // The custom link of the credits shows and hides the shortcut table.
    ASSERT_TRUE(window->execute("taApropos"));
    TLinkEdit &credits = *window->aproposFrame()->credits();
    const int last = static_cast<int>(credits.document()->find("click here or type").selectionStart());
    credits.clickAt(last);
    EXPECT_TRUE(window->shortcutTable()->isVisible());
    credits.clickAt(last);
    EXPECT_FALSE(window->shortcutTable()->isVisible());
    // "Close" of the panel.
    window->aproposFrame()->findChild<QPushButton *>("FermerBtn")->click();
    EXPECT_EQ(form.layout(), Layout::Normal);
}

TEST_F(PanelsInWindowTest, ThePanelClosesWithAnEmptyListAndTheCaptionsFollowThePrograms)
{
    auto window = makeWindow({});
    TUIForm &form = window->form();
    ASSERT_EQ(form.layout(), Layout::WithoutList);
    ASSERT_TRUE(window->execute("taOptions"));
    EXPECT_EQ(form.layout(), Layout::Panel);
    window->optionsFrame()->chooseProgram("feFichierF3", "/usr/bin/vlc");
    window->optionsFrame()->chooseProgram("feFichierF4", "/opt/x/My Editor.AppImage");
    EXPECT_EQ(window->session().actions().find("ccOpenFichierF3")->Caption(), "Open with vlc");
    EXPECT_EQ(window->session().actions().find("ccOpenFichierF4")->Caption(), "Open with My Editor");
    window->optionsFrame()->findChild<QPushButton *>("FermerBtn")->click();
    EXPECT_EQ(form.layout(), Layout::WithoutList);
    EXPECT_FALSE(window->session().actions().toggle("taOptions")->Checked());

    // The shortcut table's sort column is a setting.
    window->shortcutTable()->show();
    emit window->shortcutTable()->sortColumnChanged(2);
    EXPECT_EQ(prefs::currentSettings().triDesRaccourcis, 2);
    window->shortcutTable()->hide();
}

TEST_F(PanelsInWindowTest, F1InFullScreenEndsFullScreenFirst)
{
    fs::create_directories(dir / "tapes");
    fs::copy_file(test::fixturePath("tape_three-type2.avi"), dir / "tapes/tape_three-type2.avi");
    auto window = makeWindow({"/l=" + (dir / "tapes").string()});
    ASSERT_TRUE(window->execute("taFullscreen"));
    ASSERT_TRUE(window->form().fullScreenVideo());
    ASSERT_TRUE(window->execute("taApropos"));
    EXPECT_FALSE(window->form().fullScreenVideo());
    EXPECT_FALSE(window->session().actions().toggle("taFullscreen")->Checked());
    EXPECT_TRUE(window->aproposFrame()->isVisible());
    ASSERT_TRUE(window->execute("taApropos"));
    EXPECT_EQ(window->form().layout(), Layout::Normal);
}

TEST_F(PanelsInWindowTest, PasteFilesFollowsTheClipboard)
{
    auto window = makeWindow({});
    const ui::TCustomSuperAction &paste = *window->session().actions().find("saCollerFichiers");
    QGuiApplication::clipboard()->setText("no files");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !paste.Enabled(); }));
    auto *files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(QString::fromStdString(test::fixturePath("tape_three-type2.avi").string()))});
    QGuiApplication::clipboard()->setMimeData(files);
    EXPECT_TRUE(QTest::qWaitFor([&] { return paste.Enabled(); }));
    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !paste.Enabled(); }));
}

// The dialogs' answers take the command path of a script's "=parameter".
TEST_F(PanelsInWindowTest, DialogAnswersRunTheCommandsAndACancelRunsNothing)
{
    fs::create_directories(dir / "tapes");
    const fs::path video = dir / "tapes/tape_three-type2.avi";
    fs::copy_file(test::fixturePath("tape_three-type2.avi"), video);
    auto window = makeWindow({"/l=" + (dir / "tapes").string(), "/a"});
    ASSERT_EQ(window->session().list().SelCount(), 1);

    const auto answer = [](auto *dialogType, std::function<void(QWidget &)> keys) {
        QTimer::singleShot(0, [dialogType, keys] {
            QWidget *dialog = nullptr;
            const bool shown = QTest::qWaitFor([&] {
                dialog = QApplication::activeModalWidget();
                return dialog != nullptr && dynamic_cast<decltype(dialogType)>(dialog) != nullptr
                       && dialog->isAncestorOf(QApplication::focusWidget());
            });
            if (!shown) {
                ADD_FAILURE() << "no dialog with a focused field: "
                              << (dialog ? dialog->metaObject()->className() : "none") << " focus "
                              << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                                              : "none");
                if (dialog != nullptr)
                    dialog->close();
                return;
            }
            keys(*QApplication::focusWidget());
        });
    };
    answer(static_cast<TIntervalleForm *>(nullptr), [](QWidget &field) {
        QTest::keyClicks(&field, "3");
        QTest::keyClick(&field, Qt::Key_Return);
    });
    ASSERT_TRUE(window->execute("ccCreerScnByIntervalle"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->session().idle(); }, 20000));
    EXPECT_EQ(prefs::currentSettings().intervalle, 3);
    scenes::SceneList list;
    ASSERT_TRUE(scenes::ReadScnFile(dir / "tapes/tape_three-type2.scn", list, {}).ok());
    std::vector<std::int64_t> frames;
    for (const auto &item : list)
        frames.push_back(item.scene->frameCount());
    EXPECT_EQ(frames, (std::vector<std::int64_t>{75, 50}));

    const auto before = test::readBytes(video);
    answer(static_cast<TCodecForm *>(nullptr), [](QWidget &field) { QTest::keyClick(&field, Qt::Key_Escape); });
    EXPECT_FALSE(window->execute("ccModifierCodec"));
    EXPECT_TRUE(window->session().idle());
    EXPECT_EQ(test::readBytes(video), before);
}

// While the time difference is typed, the preview's time stamp shows the datecode it gives; a
// Cancel gives the file's own datecode back and runs nothing.
TEST_F(PanelsInWindowTest, TheTimeDifferenceDialogCorrectsThePreviewWhileItIsEdited)
{
    fs::create_directories(dir / "tapes");
    fs::copy_file(test::fixturePath("tape_three-type2.avi"), dir / "tapes/tape_three-type2.avi");
    auto window = makeWindow({"/l=" + (dir / "tapes").string(), "/a"});
    TVueFrame &vue = *window->form().vueFrame();
    const auto stamp = [&] {
        return vue.timeStamp()->text().toStdString();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return stamp().find("10:00:00") != std::string::npos; }, 10000)) << stamp();

    std::string whileEdited;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([] {
            return dynamic_cast<TDecalageForm *>(QApplication::activeModalWidget()) != nullptr
                   && QApplication::activeModalWidget()->isAncestorOf(QApplication::focusWidget());
        }));
        QWidget &field = *QApplication::focusWidget();
        QTest::keyClicks(&field, "3");
        QTest::qWaitFor([&] { return stamp().find("13:00:00") != std::string::npos; }, 5000);
        whileEdited = stamp();
        QTest::keyClick(&field, Qt::Key_Escape);
    });
    EXPECT_FALSE(window->execute("ccDecalageHoraire"));
    EXPECT_NE(whileEdited.find("13:00:00"), std::string::npos) << "[" << whileEdited << "]";
    EXPECT_TRUE(QTest::qWaitFor([&] { return stamp().find("10:00:00") != std::string::npos; }, 5000)) << stamp();
    EXPECT_FALSE(fs::exists(dir / "tapes/tape_three-type2_(+3h).avi"));
}

} // namespace
} // namespace camlog::widgets
