// The scene editor, the title editor and the inlay editor in the window: the arguments that cut a
// scene once the preview has moved, the question before changes are lost, the titles for one
// scene or all, the inlay's settings changed live and given back by Cancel.
#include "headless/session/command_module.h"
#include "media/decoding/avi_probe.h"
#include "prefs/current_settings.h"
#include "scenes/scene_editor.h"
#include "scenes/scn_file.h"
#include "support/test_files.h"
#include "window/base_frame.h"
#include "window/edit_incrust_form.h"
#include "window/editer_titres_form.h"
#include "window/inlay_editor_binding.h"
#include "window/preview_panel.h"
#include "window/preview_picture_view.h"
#include "window/s_frame.h"
#include "window/scene_base.h"
#include "window/scene_editor_panel.h"
#include "window/vue_frame.h"
#include "window/window_session.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace camlog::widgets {
namespace {

namespace fs = std::filesystem;
using Spans = std::vector<std::pair<std::int32_t, std::int32_t>>;

class EditorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = test::scratchDir("Editors_" + name);
        tapes = dir / "tapes";
        fs::create_directories(tapes);
        for (const char *file : {"tape_three-type2.avi", "pal_16x9_32k-type1.avi"})
            fs::copy_file(test::fixturePath(file), tapes / file);
        tape = (tapes / "tape_three-type2.avi").string();
        writeScenes(tape, {{0, 50}, {50, 100}, {100, 125}});
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
    void TearDown() override { fs::remove_all(dir); }

    static void writeScenes(const std::string &video, const Spans &spans)
    {
        scenes::SceneContext sceneContext;
        scenes::TwriteScene writer(video);
        for (const auto &[start, end] : spans)
            ASSERT_TRUE(writer.WriteScene(scenes::TSceneClass(start, end, sceneContext)));
        ASSERT_TRUE(writer.close());
    }
    // The scn file as the commands read it: the spans and the titles.
    static Spans onDisk(const std::string &video, std::vector<std::string> *titles = nullptr)
    {
        scenes::SceneList list;
        scenes::SceneContext sceneContext;
        EXPECT_TRUE(scenes::ReadScnFile(scenes::ScnFileName(video), list, sceneContext).ok());
        Spans spans;
        for (const auto &item : list) {
            spans.emplace_back(item.scene->start, item.scene->end);
            if (titles != nullptr)
                titles->push_back(item.scene->title);
        }
        return spans;
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
        auto window = std::make_unique<WindowSession>(std::move(start));
        window->form().show();
        window->form().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window->form()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->started() && window->session().idle(); }, 20000));
        return window;
    }
    static std::string shortcutOf(WindowSession &window, const char *action)
    {
        return window.session().actions().find(action)->ShortCut();
    }

    fs::path dir;
    fs::path tapes;
    std::string tape;
    prefs::PrefsEnvironment environment;
    prefs::Settings settings;
    media::AviProber prober;
    core::AviFileContext context;
    session::CommandModule commands;
};

TEST_F(EditorsTest, TheArgumentsCutWhereThePreviewStepped)
{
    // Each call waits for the one before: the step of one second lands before the cut.
    auto window = makeWindow({"/o=" + tape, "/es", "/ns", "/is", "/ns", "/ns", "/is", "/scn"});
    EXPECT_EQ(onDisk(tape), (Spans{{0, 25}, {25, 50}, {50, 75}, {75, 100}, {100, 125}}));
    SceneEditorPanel &editor = *window->sceneEditor();
    EXPECT_TRUE(editor.isOpen());
    EXPECT_FALSE(editor.model().modified());
    EXPECT_EQ(editor.sceneList()->list()->count(), 5);
    EXPECT_EQ(editor.sceneList()->currentRow(), 3);
    EXPECT_EQ(editor.sceneList()->fileName()->text(), "tape_three-type2.avi");
    EXPECT_EQ(editor.sceneBase()->number()->text(), "Scene 4");
    EXPECT_TRUE(editor.sceneBase()->isVisible());
    EXPECT_TRUE(editor.sceneList()->isVisible());
    EXPECT_FALSE(window->form().baseFrame()->isVisible());
    EXPECT_EQ(window->preview()->player().position(), 75);
}

TEST_F(EditorsTest, TheSaveQuestionOnClosingTheEditorOrTheWindow)
{
    struct Case {
        scenes::SaveAnswer answer;
        bool closes;
        Spans after;
    };
    const Spans cut{{0, 50}, {50, 75}, {75, 100}, {100, 125}};
    const Spans original{{0, 50}, {50, 100}, {100, 125}};
    const Case cases[] = {
        {scenes::SaveAnswer::Cancel, false, original},
        {scenes::SaveAnswer::Drop, true, original},
        {scenes::SaveAnswer::Save, true, cut},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        writeScenes(tape, original);
        auto window = makeWindow({"/o=" + tape, "/es", "/f9", "/ns", "/is"});
        SceneEditorPanel &editor = *window->sceneEditor();
        ASSERT_TRUE(editor.model().modified());
        int asked = 0;
        std::string question;
        editor.ask = [&](const std::string &text, bool withCancel) {
            ++asked;
            question = text;
            EXPECT_TRUE(withCancel);
            return c.answer;
        };
        // The editor closing.
        ASSERT_TRUE(window->execute("taEditerScenes"));
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(question, "Do you want to save the scenes in the scn file associated with " + tape
                                + "?\r\nIf no, then all changes will be lost.");
        EXPECT_EQ(editor.isOpen(), !c.closes);
        EXPECT_EQ(onDisk(tape), c.after);
        // The window closing with the editor open and changed.
        if (!editor.isOpen()) {
            ASSERT_TRUE(window->execute("taEditerScenes"));
            ASSERT_TRUE(window->execute("saInsererScene") || true);
        }
        window->preview()->player().seekTo(10);
        ASSERT_TRUE(window->execute("saInsererScene"));
        ASSERT_TRUE(editor.model().modified());
        asked = 0;
        window->form().close();
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(window->form().isVisible(), !c.closes);
        if (c.answer == scenes::SaveAnswer::Save)
            EXPECT_EQ(onDisk(tape), (Spans{{0, 10}, {10, 50}, {50, 75}, {75, 100}, {100, 125}}));
        else
            EXPECT_EQ(onDisk(tape), c.after);
        editor.ask = [](const std::string &, bool) {
            return scenes::SaveAnswer::Drop;
        };
    }
}

TEST_F(EditorsTest, AVideoWithoutScnFileGetsOneAtTheFirstSave)
{
    const std::string clip = (tapes / "pal_16x9_32k-type1.avi").string();
    auto window = makeWindow({"/o=" + clip, "/es", "/ns", "/is", "/scn"});
    ASSERT_EQ(onDisk(clip).size(), 2u);
    // The list entry learnt of its scn file; the editor keeps its list and its scene.
    ASSERT_TRUE(window->session().list().ActiveFile());
    EXPECT_TRUE(window->session().list().ActiveFile()->HasScn);
    SceneEditorPanel &editor = *window->sceneEditor();
    EXPECT_TRUE(editor.isOpen());
    EXPECT_EQ(editor.model().count(), 2);
    EXPECT_EQ(editor.model().current(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->preview()->player().pending(); }, 5000));
    EXPECT_EQ(window->preview()->player().position(), editor.model().scene(1).start);
}

TEST_F(EditorsTest, AnotherActiveFileAsksAboutTheChangesFirst)
{
    auto window = makeWindow({"/l=" + tapes.string(), "/es"});
    ui::FileListModel &list = window->session().list();
    ASSERT_EQ(list.Count(), 2);
    SceneEditorPanel &editor = *window->sceneEditor();
    ASSERT_TRUE(editor.isOpen());
    const std::string first = list.ActiveFile()->FullPath;
    window->preview()->player().seekTo(10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->preview()->player().pending(); }, 5000));
    ASSERT_TRUE(window->execute("saInsererScene"));
    int asked = 0;
    editor.ask = [&](const std::string &question, bool withCancel) {
        ++asked;
        EXPECT_FALSE(withCancel); // the other file is active already
        EXPECT_NE(question.find(first), std::string::npos);
        return scenes::SaveAnswer::Save;
    };
    list.SetActive(list.ActiveFile()->FullPath == tape ? 0 : 1); // alphabetical: pal_16x9..., tape_three...
    QApplication::processEvents();
    EXPECT_EQ(asked, 1);
    EXPECT_NE(list.ActiveFile()->FullPath, first);
    // The first file's cut was saved; the editor now shows the other file's list.
    const Spans saved = onDisk(first);
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved.front(), (std::pair<std::int32_t, std::int32_t>{0, 10}));
    EXPECT_EQ(editor.sceneList()->fileName()->text().toStdString(), list.ActiveFile()->FileName);
    EXPECT_FALSE(editor.model().modified());
}

TEST_F(EditorsTest, TheTitleEditorTitlesOneSceneOrAllAndFreesTheKeys)
{
    auto window = makeWindow({"/o=" + tape, "/es", "/f9"});
    SceneEditorPanel &editor = *window->sceneEditor();
    ASSERT_EQ(editor.model().current(), 1);
    EXPECT_EQ(shortcutOf(*window, "saPlayStop"), "Space");
    // A click on the caption opens the title editor; the keys typed there are no shortcuts.
    QTest::mouseClick(editor.sceneBase()->memo()->viewport(), Qt::LeftButton);
    TEditerTitresForm &titles = *editor.titleEditor();
    ASSERT_TRUE(titles.isVisible());
    EXPECT_EQ(titles.windowTitle(), "Edit the title of a scene");
    EXPECT_EQ(shortcutOf(*window, "saPlayStop"), "Ctrl+Space");
    EXPECT_EQ(shortcutOf(*window, "saOterFichier"), "Ctrl+Del");
    titles.button("Studio")->click();
    EXPECT_EQ(titles.titleEdit()->text(), "Scene %N: %D");
    EXPECT_TRUE(titles.sample()->text().startsWith("Scene 2: ")) << titles.sample()->text().toStdString();
    titles.titleEdit()->setText("Été %N");
    titles.button("Apply")->click();
    EXPECT_FALSE(titles.isVisible());
    EXPECT_EQ(shortcutOf(*window, "saPlayStop"), "Space");
    EXPECT_EQ(editor.model().scene(1).title, "Été 2");
    EXPECT_EQ(editor.model().scene(0).title, "");
    EXPECT_EQ(editor.sceneList()->list()->item(1)->text(), "Scene 2: Été 2");
    EXPECT_TRUE(editor.sceneBase()->memo()->toPlainText().startsWith("Été 2\n"));
    // Opened again it starts from the title with its codes; All titles every scene.
    ASSERT_TRUE(window->execute("taEditerTitres"));
    EXPECT_EQ(titles.titleEdit()->text(), "Été %N");
    titles.button("All")->click();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(editor.model().scene(i).title, "Été " + std::to_string(i + 1));
    // Cancel and the close box change nothing.
    ASSERT_TRUE(window->execute("taEditerTitres"));
    titles.titleEdit()->setText("nothing");
    titles.button("Cancel")->click();
    ASSERT_TRUE(window->execute("taEditerTitres"));
    titles.titleEdit()->setText("nothing either");
    titles.close();
    EXPECT_FALSE(titles.isVisible());
    EXPECT_EQ(editor.model().scene(1).title, "Été 2");
    EXPECT_EQ(shortcutOf(*window, "saPlayStop"), "Space");
    // Saved and read back, the titles are whole.
    ASSERT_TRUE(window->execute("saEnregistrerScn"));
    std::vector<std::string> saved;
    onDisk(tape, &saved);
    EXPECT_EQ(saved, (std::vector<std::string>{"Été 1", "Été 2", "Été 3"}));
    editor.ask = [](const std::string &, bool) {
        return scenes::SaveAnswer::Drop;
    };
}

TEST_F(EditorsTest, APressOnThePictureMakesItTheScenesPicture)
{
    auto window = makeWindow({"/o=" + tape, "/es", "/f9", "/nf", "/nf", "/nf"});
    SceneEditorPanel &editor = *window->sceneEditor();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->preview()->player().pending(); }, 5000));
    ASSERT_EQ(window->preview()->player().position(), 53);
    PreviewPictureView *video = window->form().vueFrame()->videoWindow();
    QTest::mousePress(video, Qt::LeftButton, {}, video->rect().center());
    EXPECT_EQ(editor.model().scene(1).pictureOffset, 3);
    EXPECT_TRUE(editor.model().modified());
    EXPECT_FALSE(editor.sceneBase()->picture().isNull());
    // A click on the scene's picture shows that frame.
    window->preview()->player().seekTo(50);
    QTest::mouseClick(editor.sceneBase()->pictureLabel(), Qt::LeftButton);
    EXPECT_EQ(window->preview()->player().position(), 53);
    editor.ask = [](const std::string &, bool) {
        return scenes::SaveAnswer::Drop;
    };
}

TEST_F(EditorsTest, TheInlayEditorChangesTheSettingsLiveAndCancelGivesThemBack)
{
    auto window = makeWindow({"/o=" + tape});
    TVueFrame &vue = *window->form().vueFrame();
    ASSERT_FALSE(vue.inlaySliderX()->isVisible());
    ASSERT_TRUE(window->execute("taEditerIncrust"));
    TEditIncrustForm &form = *window->inlayEditor()->form();
    ASSERT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Edit the inlay");
    EXPECT_TRUE(vue.inlaySliderX()->isVisible());
    EXPECT_TRUE(vue.inlaySliderY()->isVisible());
    EXPECT_FALSE(vue.timeStamp()->isVisible());
    EXPECT_TRUE(prefs::currentSettings().isIncrustOn); // switched on to be seen
    EXPECT_EQ(shortcutOf(*window, "saIncVolume"), "Ctrl+Num +");
    const prefs::Settings opened = prefs::currentSettings();

    // The sliders: X, and Y from the bottom.
    vue.inlaySliderX()->setValue(250);
    vue.inlaySliderY()->setValue(300);
    EXPECT_EQ(prefs::currentSettings().incrustPositionX, 250);
    EXPECT_EQ(prefs::currentSettings().incrustPositionY, 700);
    // The subtitle alignment centres X; the horizontal slider turns it back into centred.
    form.alignButton(3)->click();
    EXPECT_EQ(prefs::currentSettings().alignement, 3);
    EXPECT_EQ(prefs::currentSettings().incrustPositionX, 500);
    EXPECT_EQ(vue.inlaySliderX()->value(), 500);
    vue.inlaySliderX()->setValue(400);
    EXPECT_EQ(prefs::currentSettings().alignement, 1);
    EXPECT_TRUE(form.alignButton(1)->isChecked());
    // A press on the picture places the inlay there.
    PreviewPictureView *video = vue.videoWindow();
    const QRect picture = video->pictureRect();
    QTest::mousePress(video, Qt::LeftButton, {}, picture.topLeft() + QPoint(picture.width() / 4, picture.height() / 2));
    EXPECT_NEAR(prefs::currentSettings().incrustPositionX, 250, 5);
    EXPECT_NEAR(prefs::currentSettings().incrustPositionY, 500, 5);
    EXPECT_EQ(vue.inlaySliderY()->value(), 1000 - prefs::currentSettings().incrustPositionY);
    // While the button is down the picture plays, silently; released, it pauses again.
    EXPECT_TRUE(window->preview()->player().playing());
    QTest::mouseRelease(video, Qt::LeftButton, {}, picture.center());
    EXPECT_FALSE(window->preview()->player().playing());

    // The other controls, each into its setting.
    form.contentButton(1)->click();
    EXPECT_EQ(prefs::currentSettings().whatIncrust, 1);
    form.durationEdit()->setText("abc");
    EXPECT_EQ(prefs::currentSettings().dureeIncrustation, 5);
    form.durationEdit()->setText("12");
    EXPECT_EQ(prefs::currentSettings().dureeIncrustation, 12);
    form.timingButton(3)->click();
    EXPECT_EQ(prefs::currentSettings().whenIncrust, 3);
    form.sizeBox()->setCurrentText("auto");
    EXPECT_TRUE(window->preview()->inlayAutoSize());
    form.sizeBox()->setCurrentText("24");
    EXPECT_FALSE(window->preview()->inlayAutoSize());
    EXPECT_EQ(prefs::currentSettings().incrustFont.Size, 24);
    form.perso1()->setText("%F%E");
    EXPECT_EQ(prefs::currentSettings().texte1, "%F%E");
    EXPECT_TRUE(form.sampleLabel(2)->text().startsWith("tape_three-type2.avi\n"))
        << form.sampleLabel(2)->text().toStdString();
    EXPECT_TRUE(form.sampleLabel(1)->text().startsWith("\n"));

    // Cancel: everything as it was when the editor opened, and the edit mode ends.
    form.cancelButton()->click();
    const prefs::Settings back = prefs::currentSettings();
    EXPECT_EQ(back.incrustPositionX, opened.incrustPositionX);
    EXPECT_EQ(back.incrustPositionY, opened.incrustPositionY);
    EXPECT_EQ(back.alignement, opened.alignement);
    EXPECT_EQ(back.whatIncrust, opened.whatIncrust);
    EXPECT_EQ(back.whenIncrust, opened.whenIncrust);
    EXPECT_EQ(back.incrustFont, opened.incrustFont);
    EXPECT_EQ(back.texte1, opened.texte1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(vue.inlaySliderX()->isVisible());
    EXPECT_EQ(shortcutOf(*window, "saIncVolume"), "Num +");
    EXPECT_FALSE(window->session().actions().toggle("taEditerIncrust")->Checked());
}

} // namespace
} // namespace camlog::widgets
