// The window as the session's host: the command line at the first activation, questions answered
// through the message box, the keyboard's abort, closing in order.
#include "headless/session/command_module.h"
#include "media/decoding/avi_probe.h"
#include "prefs/current_settings.h"
#include "support/test_files.h"
#include "window/action_icons.h"
#include "window/base_frame.h"
#include "window/list_frame.h"
#include "window/preview_picture_view.h"
#include "window/status_panel.h"
#include "window/vue_frame.h"
#include "window/window_session.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>

namespace camlog::widgets {
namespace {

namespace fs = std::filesystem;

class WindowSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = test::scratchDir("WindowSession_" + name);
        tapes = dir / "tapes";
        fs::create_directories(tapes);
        for (const char *file : {"pal_16x9_32k-type1.avi", "tape_three-type2.avi"})
            fs::copy_file(test::fixturePath(file), tapes / file);
        environment.programFile = (dir / "camlog").string();
        environment.normalFile = (dir / "config/Ovrand/Camlog.ini").string();
        environment.portableFile = (dir / "Camlog.ini").string();
        environment.videoFolder = dir.string();
        environment.documentsFolder = dir.string();
        settings = prefs::defaultSettings(environment, {1280, 1024});
        prefs::setCurrentSettings(settings);
        prefs::setCurrentPreferenceMode(prefs::pmNormal);
        context.prober = &prober;
    }

    std::unique_ptr<WindowSession> makeWindow(std::vector<std::string> arguments)
    {
        WindowStart start;
        start.settings = settings;
        start.environment = environment;
        start.context = &context;
        start.commands = commands.binding();
        start.identity = commands.identity();
        start.arguments = std::move(arguments);
        return std::make_unique<WindowSession>(std::move(start));
    }

    // Shows and activates the window; its first activation processes the command line.
    static void showAndActivate(WindowSession &window)
    {
        window.form().show();
        window.form().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window.form()));
    }

    static bool waitIdle(WindowSession &window)
    {
        return QTest::qWaitFor([&] { return window.started() && window.session().idle(); }, 20000);
    }

    fs::path dir;
    fs::path tapes;
    prefs::PrefsEnvironment environment;
    prefs::Settings settings;
    media::AviProber prober;
    core::AviFileContext context;
    session::CommandModule commands;
};

TEST_F(WindowSessionTest, TheCommandLineRunsAtTheFirstActivation)
{
    auto window = makeWindow({"/l=" + tapes.string()});
    window->form().show();
    QApplication::processEvents();
    EXPECT_EQ(window->session().list().Count(), 0);
    EXPECT_EQ(window->form().layout(), Layout::WithoutList);

    window->form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window->form()));
    ASSERT_TRUE(waitIdle(*window));
    EXPECT_EQ(window->session().list().Count(), 2);
    EXPECT_EQ(window->form().layout(), Layout::Normal);
    EXPECT_FALSE(window->form().emptyListShown());
    EXPECT_TRUE(window->form().listFrame()->selectionLabel()->text().endsWith(" on 2 - alpha"));
    EXPECT_EQ(window->form().statusPanel()->text().toStdString(), "Ready");
}

TEST_F(WindowSessionTest, ARenameQuestionIsAnsweredThroughTheMessageBox)
{
    auto window = makeWindow({"/l=" + tapes.string(), "/a"});
    showAndActivate(*window);
    ASSERT_TRUE(waitIdle(*window));
    ASSERT_EQ(window->session().list().SelCount(), 2);

    QString question;
    std::function<void()> answer = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr) {
            QTimer::singleShot(20, answer);
            return;
        }
        question = box->text();
        box->button(QMessageBox::YesToAll)->click();
    };
    QTimer::singleShot(0, answer);
    ASSERT_TRUE(window->execute("ccAjouterDatecode"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->session().engine().IsRunning(); }, 20000));

    EXPECT_TRUE(question.startsWith("Do you want to rename pal_16x9_32k-type1.avi to ")) << question.toStdString();
    EXPECT_FALSE(fs::exists(tapes / "pal_16x9_32k-type1.avi"));
    EXPECT_FALSE(fs::exists(tapes / "tape_three-type2.avi"));
    EXPECT_EQ(window->session().list().Count(), 2);
    // What the run did, before the bar says "Ready" again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->form().statusPanel()->text() != "Ready"; }, 2000));
    EXPECT_EQ(window->form().statusPanel()->text().toStdString(), "Add datecode: 2 files done");
}

TEST_F(WindowSessionTest, ClosingDuringACommandStopsItAndSavesTheSettings)
{
    auto window = makeWindow({"/l=" + tapes.string(), "/a"});
    showAndActivate(*window);
    ASSERT_TRUE(waitIdle(*window));
    window->form().setListOnLeft(true);

    // The close comes while the question of the first file is up: Cancel ends the run, then the
    // window closes on its own.
    std::function<void()> closeThenCancel = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr) {
            QTimer::singleShot(20, closeThenCancel);
            return;
        }
        EXPECT_FALSE(window->form().close());
        box->button(QMessageBox::Cancel)->click();
    };
    QTimer::singleShot(0, closeThenCancel);
    ASSERT_TRUE(window->execute("ccAjouterDatecode"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->form().isVisible(); }, 20000));
    EXPECT_TRUE(fs::exists(tapes / "pal_16x9_32k-type1.avi"));

    const prefs::Settings saved = prefs::LoadPreferences(prefs::pmNormal, environment, {1280, 1024});
    EXPECT_TRUE(saved.listeGauche);
    EXPECT_EQ(saved.vue, 0);
    EXPECT_EQ(saved.sortIndex, "alpha");
}

// A conversion over many tapes, and the abort keys pressed while its first files are written:
// Escape stops the file being converted and the run goes on; Shift+Escape stops the run.
TEST_F(WindowSessionTest, EscapeAbortsTheCurrentFileAndShiftEscapeTheWholeRun)
{
    const struct {
        const char *what;
        Qt::KeyboardModifiers modifiers;
        bool wholeRun;
    } cases[] = {{"Escape", Qt::NoModifier, false}, {"Shift+Escape", Qt::ShiftModifier, true}};
    constexpr int kTapes = 24;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path folder = dir / (std::string("many_") + (c.wholeRun ? "all" : "one"));
        fs::create_directories(folder);
        for (int i = 0; i < kTapes; ++i)
            fs::create_hard_link(test::fixturePath("tape_three-type2.avi"),
                                 folder / ("t" + std::to_string(10 + i) + ".avi"));
        const auto outputs = [&] {
            int count = 0;
            for (const auto &entry : fs::directory_iterator(folder))
                count += entry.path().filename().string().starts_with("t") && entry.path().extension() == ".avi";
            return count - kTapes;
        };

        auto window = makeWindow({"/l=" + folder.string(), "/a"});
        showAndActivate(*window);
        ASSERT_TRUE(waitIdle(*window));
        ASSERT_EQ(window->session().list().SelCount(), kTapes);
        ASSERT_TRUE(window->execute("ccConvertirDV1"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return outputs() >= 1; }, 60000));
        QTest::keyClick(&window->form(), Qt::Key_Escape, c.modifiers);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->session().engine().IsRunning(); }, 60000));

        const int written = outputs();
        if (c.wholeRun) {
            EXPECT_LT(written, kTapes - 2);
        } else {
            EXPECT_EQ(written, kTapes - 1); // one tape left unconverted, the others all done
        }
        // No hidden temporary is left behind by the aborted file.
        for (const auto &entry : fs::directory_iterator(folder))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        EXPECT_TRUE(window->session().list().IsEnabled());
    }
}

// Files copied in a file manager are pasted into the list; the tool-bar menu's entries show and
// hide their bars.
TEST_F(WindowSessionTest, PasteFilesAndTheToolBarEntries)
{
    auto window = makeWindow({});
    showAndActivate(*window);
    ASSERT_TRUE(waitIdle(*window));
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QString::fromStdString((tapes / "tape_three-type2.avi").string())),
                   QUrl::fromLocalFile(QString::fromStdString((dir / "missing.avi").string()))});
    QGuiApplication::clipboard()->setMimeData(data);
    ASSERT_TRUE(window->execute("saCollerFichiers"));
    ASSERT_TRUE(waitIdle(*window));
    ASSERT_EQ(window->session().list().Count(), 1);
    EXPECT_EQ(window->session().list().GetFile(0)->FileName, "tape_three-type2.avi");
    EXPECT_EQ(window->form().layout(), Layout::Normal);

    auto *bar = window->form().findChild<QToolBar *>("tbOuvrir");
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->isVisible());
    ASSERT_TRUE(window->execute("sabarreOuvrir"));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(window->session().actions().find("sabarreOuvrir")->Checked());
    ASSERT_TRUE(window->execute("sabarreOuvrir"));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(window->session().actions().find("sabarreOuvrir")->Checked());
    QGuiApplication::clipboard()->clear();
}

// "Hide the list" hides it and "Show the list" brings it back, again and again; the menu's tick
// shows what is on screen after each press, and the window keeps the size the user gave it.
TEST_F(WindowSessionTest, F6HidesAndShowsTheListAndTheTickFollows)
{
    auto window = makeWindow({"/l=" + tapes.string()});
    showAndActivate(*window);
    ASSERT_TRUE(waitIdle(*window));
    TUIForm &form = window->form();
    form.resize(1200, 800);
    QApplication::processEvents();
    const struct {
        bool listShown;
        const char *caption;
    } presses[] = {
        {false, "Show the list"}, {true, "Hide the list"}, {false, "Show the list"}, {true, "Hide the list"}};
    int press = 0;
    for (const auto &after : presses) {
        SCOPED_TRACE(++press);
        // As the key F6 and the menu entry run it (the end-to-end run presses F6 itself).
        ASSERT_TRUE(window->execute("taBasculerListe"));
        QApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.listShown() == after.listShown; }, 2000));
        EXPECT_EQ(form.listFrame()->isVisible(), after.listShown);
        // The state the menu's tick and caption show.
        const ui::TCustomSuperAction *toggle = window->session().actions().find("taBasculerListe");
        EXPECT_EQ(toggle->Checked(), after.listShown);
        EXPECT_EQ(toggle->Caption(), after.caption);
        EXPECT_EQ(form.size(), QSize(1200, 800));
    }
}

// Every tool-bar button shows its picture from the icon theme, and none hides behind the
// tool bar's extension arrow at the window's least normal width or at a wide one.
TEST_F(WindowSessionTest, ToolBarButtonsHaveIconsAndAllShow)
{
    auto window = makeWindow({"/l=" + tapes.string()});
    showAndActivate(*window);
    ASSERT_TRUE(waitIdle(*window));
    TUIForm &form = window->form();
    for (const ActionIconNames &names : ActionIconTable()) {
        EXPECT_TRUE(QIcon::hasThemeIcon(QString::fromUtf8(names.icon.data(), names.icon.size()))) << names.icon;
        if (!names.checkedIcon.empty())
            EXPECT_TRUE(QIcon::hasThemeIcon(QString::fromUtf8(names.checkedIcon.data(), names.checkedIcon.size())))
                << names.checkedIcon;
    }
    for (const int width : {600, 1200}) {
        SCOPED_TRACE(width);
        form.resize(width, 800);
        // The resize and the tool bars' new layout arrive as events of their own; a loaded
        // machine delivers them over more than one pass of the event loop.
        QTest::qWait(200);
        for (QToolBar *bar : form.findChildren<QToolBar *>()) {
            if (!bar->isVisible())
                continue;
            SCOPED_TRACE(bar->objectName().toStdString());
            for (QAction *action : bar->actions()) {
                EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
                if (!action->isVisible())
                    continue;
                const QWidget *button = bar->widgetForAction(action);
                ASSERT_NE(button, nullptr);
                EXPECT_TRUE(button->isVisible()) << action->objectName().toStdString() << " is behind the arrow";
            }
        }
    }
}

// A right click shows the video panel's menu on the video panel and the window's menu elsewhere.
TEST_F(WindowSessionTest, RightClicksShowTheMenuOfThePlace)
{
    auto window = makeWindow({});
    showAndActivate(*window);
    const auto shownMenu = [] {
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    };
    const struct {
        QWidget *place;
        const char *firstItem;
    } cases[] = {{window->form().vueFrame(), "Fullscreen"}, {&window->form(), "Open..."}};
    for (const auto &c : cases) {
        if (c.place == &window->form())
            emit c.place->customContextMenuRequested(QPoint(10, 10));
        else { // a right click in the middle of the panel, where the picture is
            const QPoint centre = c.place->rect().center();
            QWidget *target = c.place->childAt(centre) ? c.place->childAt(centre) : c.place;
            const QPoint at = target->mapFrom(c.place, centre);
            QContextMenuEvent click(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
            QApplication::sendEvent(target, &click);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return shownMenu() != nullptr; }, 5000)) << c.firstItem;
        QMenu *menu = shownMenu();
        ASSERT_FALSE(menu->actions().isEmpty());
        EXPECT_EQ(menu->actions().first()->text().toStdString(), c.firstItem);
        menu->close();
        QApplication::processEvents();
    }
}

TEST_F(WindowSessionTest, ThePreviewShowsTheActiveFileAndAnswersItsKeys)
{
    settings.deinterlace = true;
    prefs::setCurrentSettings(settings);
    const fs::path tape = tapes / "tape_three-type2.avi";
    auto window = makeWindow({"/o=" + tape.string()});
    showAndActivate(*window);
    ASSERT_TRUE(waitIdle(*window));
    TVueFrame &vue = *window->form().vueFrame();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vue.videoWindow()->picture().isNull(); }, 10000));
    EXPECT_NEAR(vue.videoWindow()->aspect(), 4.0 / 3.0, 1e-9);
    EXPECT_TRUE(vue.timeStamp()->text().endsWith("00.00.00.00")) << vue.timeStamp()->text().toStdString();
    // The deinterlace switch shows the setting's state from the start.
    EXPECT_TRUE(window->session().actions().find("taDeinterlace")->Checked());

    ASSERT_TRUE(window->execute("saNextSecond"));
    ASSERT_TRUE(window->execute("saNextFrame"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return vue.timeStamp()->text().endsWith("00.00.01.01"); }, 10000))
        << vue.timeStamp()->text().toStdString();
    // The recording's date in the display format, with the file's own time difference (none).
    EXPECT_TRUE(vue.timeStamp()->text().contains("2024")) << vue.timeStamp()->text().toStdString();

    // The volume in steps of 1000 on the gauge (volume ÷ 100); mute keeps it; both are settings.
    auto *gauge = window->form().findChild<QProgressBar *>("Gauge2");
    ASSERT_NE(gauge, nullptr);
    const int volume = settings.volume;
    ASSERT_TRUE(window->execute("saIncVolume"));
    EXPECT_EQ(gauge->value(), std::min(10000, volume + 1000) / 100);
    ASSERT_TRUE(window->execute("taMute"));
    EXPECT_TRUE(prefs::currentSettings().isMuteOn);
    ASSERT_TRUE(window->execute("saDecVolume"));
    ASSERT_TRUE(window->execute("saDecVolume"));
    EXPECT_EQ(prefs::currentSettings().volume, std::max(0, std::min(10000, volume + 1000) - 2000));
    EXPECT_EQ(gauge->value(), prefs::currentSettings().volume / 100);
    ASSERT_TRUE(window->execute("taMute"));
    EXPECT_FALSE(prefs::currentSettings().isMuteOn);

    QApplication::clipboard()->clear();
    ASSERT_TRUE(window->execute("saCopierImagedansPP"));
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(720, 576));

    // A command that touches the file empties the preview first and says why.
    window->closePreview(tape.string());
    EXPECT_TRUE(vue.note()->isVisible());
    EXPECT_TRUE(vue.note()->text().contains("Temporary break of the video")) << vue.note()->text().toStdString();
    EXPECT_FALSE(vue.positionSlider()->isEnabled());
}

// The share copy from its tool-bar button: the MP4 beside the tape; Escape during a copy leaves
// no MP4 and no hidden temporary behind.
TEST_F(WindowSessionTest, TheShareCopyButtonWritesTheMp4AndEscapeLeavesNothing)
{
    settings.sharePreset = "ultrafast";
    auto window = makeWindow({"/o=" + (tapes / "pal_16x9_32k-type1.avi").string(), "/a"});
    showAndActivate(*window);
    ASSERT_TRUE(waitIdle(*window));
    auto *bar = window->form().findChild<QToolBar *>("tbVideo");
    ASSERT_NE(bar, nullptr);
    QAction *button = nullptr;
    for (QAction *action : bar->actions())
        if (action->objectName() == "ccShareCopy")
            button = action;
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->isEnabled(); }, 10000));
    button->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->session().engine().IsRunning(); }, 60000));
    const fs::path mp4 = tapes / "pal_16x9_32k-type1.mp4";
    ASSERT_TRUE(fs::exists(mp4));
    EXPECT_EQ(
        test::runCommand("ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width -of csv=p=0 '"
                         + mp4.string() + "'")
            .output,
        "h264,1024\n");

    settings.sharePreset = "veryslow"; // slow enough to be stopped
    window = makeWindow({"/o=" + (tapes / "tape_three-type2.avi").string(), "/a"});
    showAndActivate(*window);
    ASSERT_TRUE(waitIdle(*window));
    ASSERT_TRUE(window->execute("ccShareCopy"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->session().engine().IsRunning(); }, 10000));
    QTest::qWait(500);
    QTest::keyClick(&window->form(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->session().engine().IsRunning(); }, 60000));
    EXPECT_FALSE(fs::exists(tapes / "tape_three-type2.mp4"));
    for (const auto &entry : fs::directory_iterator(tapes))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
}

} // namespace
} // namespace camlog::widgets
