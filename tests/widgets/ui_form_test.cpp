// The main window: caption, the five layouts, the empty-list panel, the selection label, the
// status bar's colours and full screen's picture fitting.
#include "window/base_frame.h"
#include "window/empty_list_frame.h"
#include "window/link_edit.h"
#include "window/list_frame.h"
#include "window/preview_picture_view.h"
#include "window/save_prefs_form.h"
#include "window/status_panel.h"
#include "window/ui_form.h"
#include "window/vue_frame.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <gtest/gtest.h>

namespace camlog::widgets {
namespace {

// With CAMLOG_SCREENS_DIR set, the layouts the tests arrange are saved there as pictures, to be
// looked at.
void saveScreen(QWidget &widget, const char *name)
{
    const QString folder = qEnvironmentVariable("CAMLOG_SCREENS_DIR");
    if (!folder.isEmpty())
        widget.grab().save(folder + "/" + name + ".png");
}

class UIFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.countsChanged(0, 0, "alpha"); // the first showing refreshes for an empty list
        QApplication::processEvents();
    }

    TUIForm form;
};

TEST_F(UIFormTest, CaptionNamesTheProgramItsVersionAndItsMaker)
{
    EXPECT_EQ(form.windowTitle().toStdString(), "Camlog 7.0.9En by Ovrand");
    // The program's own picture, drawn from its SVG.
    ASSERT_FALSE(form.windowIcon().isNull());
    EXPECT_FALSE(form.windowIcon().pixmap(64, 64).isNull());
}

TEST_F(UIFormTest, AnEmptyListGivesTheNarrowLayoutWithTheEmptyListPanelOverTheVideo)
{
    EXPECT_EQ(form.layout(), Layout::WithoutList);
    // The narrow column is the least size; the window keeps its own.
    EXPECT_EQ(form.size(), QSize(596, 546));
    EXPECT_EQ(form.minimumSize(), QSize(304, 546));
    EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    EXPECT_TRUE(form.emptyListFrame()->isVisible());
    EXPECT_FALSE(form.listFrame()->isVisible());
    EXPECT_TRUE(form.baseFrame()->isVisible());
    // The information panel above the video, the empty-list panel covering the video.
    EXPECT_EQ(form.baseFrame()->geometry().top(), 0);
    EXPECT_EQ(form.vueFrame()->geometry().top(), TBaseFrame::kHeight);
    EXPECT_EQ(form.emptyListFrame()->geometry(), form.vueFrame()->geometry());
    EXPECT_TRUE(form.emptyListFrame()->text().contains("Type F11 to display the list of available commands"));
    EXPECT_TRUE(form.emptyListFrame()->text().contains(
        "Only the files with extension *.avi, *.dv and *.dif will be processed."));
    saveScreen(form, "offscreen-layout1-empty");

    // At the least size the whole explanation still shows.
    form.resize(304, 546);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(304, 546));
    EXPECT_TRUE(form.emptyListFrame()->textFits());
    saveScreen(form, "offscreen-layout1-empty-304");
}

// The progress gauge shown during a command lies under the last row of the information panel:
// the "scn" and "srt" markers and the time difference stay readable while a file is processed.
TEST_F(UIFormTest, TheProgressGaugeCoversNoTextOfTheInformationPanel)
{
    const TBaseFrame *panel = form.baseFrame();
    const QRect gauge = panel->gauge()->geometry();
    EXPECT_LE(gauge.bottom(), TBaseFrame::kHeight - 1);
    for (const QLabel *label : panel->findChildren<QLabel *>())
        EXPECT_FALSE(gauge.intersects(label->geometry())) << label->objectName().toStdString();
}

TEST_F(UIFormTest, EntriesBringTheNormalLayoutAndAnEmptyListTakesItBack)
{
    form.countsChanged(3, 12, "alpha");
    QApplication::processEvents();
    EXPECT_EQ(form.layout(), Layout::Normal);
    EXPECT_FALSE(form.emptyListFrame()->isVisible());
    EXPECT_TRUE(form.listFrame()->isVisible());
    EXPECT_EQ(form.minimumSize(), QSize(600, 546));
    EXPECT_GE(form.width(), 600);
    EXPECT_EQ(form.listFrame()->selectionLabel()->text().toStdString(), "3 files on 12 - alpha");
    // The list column on the right: information panel on top, the list below it, both 296 wide.
    const int clientWidth = form.centralWidget()->width();
    EXPECT_EQ(form.baseFrame()->geometry(), QRect(clientWidth - 296, 0, 296, 208));
    EXPECT_EQ(form.listFrame()->geometry().left(), clientWidth - 296);
    EXPECT_EQ(form.listFrame()->geometry().top(), 208);
    EXPECT_EQ(form.listFrame()->geometry().bottom(), form.centralWidget()->height() - 1);
    EXPECT_EQ(form.vueFrame()->geometry(), QRect(0, 0, clientWidth - 296, form.centralWidget()->height()));
    saveScreen(form, "offscreen-layout0-list-right");

    form.setListOnLeft(true);
    EXPECT_EQ(form.baseFrame()->geometry().left(), 0);
    EXPECT_EQ(form.vueFrame()->geometry().left(), 296);
    saveScreen(form, "offscreen-layout0-list-left");

    const QSize withList = form.size();
    form.countsChanged(0, 0, "alpha");
    EXPECT_EQ(form.layout(), Layout::WithoutList);
    EXPECT_TRUE(form.emptyListFrame()->isVisible());
    EXPECT_EQ(form.size(), withList);
}

TEST_F(UIFormTest, SelectionLabelCountsFilesInTheSingularAndPlural)
{
    const struct {
        int selected;
        int count;
        const char *text;
    } cases[] = {
        {0, 1, "0 file on 1 - alpha"},
        {1, 1, "1 file on 1 - alpha"},
        {2, 5, "2 files on 5 - alpha"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ListFrame::selectionText(c.selected, c.count, "alpha").toStdString(), c.text);
}

TEST_F(UIFormTest, VideoOnlyAndPanelLayoutsAndTheWayBack)
{
    form.countsChanged(0, 2, "alpha");
    form.ApplyLayout(Layout::VideoOnly);
    EXPECT_FALSE(form.listFrame()->isVisible());
    EXPECT_FALSE(form.baseFrame()->isVisible());
    EXPECT_EQ(form.vueFrame()->geometry(), form.centralWidget()->rect());
    saveScreen(form, "offscreen-layout4-video-only");

    // A panel opened from layout 4 returns to layout 4.
    form.ApplyLayout(Layout::Panel);
    EXPECT_EQ(form.size(), QSize(600, 546));
    EXPECT_EQ(form.returnLayout(), Layout::VideoOnly);
    EXPECT_TRUE(form.panelPlace()->isVisible());
    EXPECT_EQ(form.panelPlace()->geometry().left(), 296);
    EXPECT_EQ(form.vueFrame()->geometry().width(), 288);
    saveScreen(form, "offscreen-layout2-panel");
    form.ApplyLayout(form.returnLayout());
    EXPECT_EQ(form.layout(), Layout::VideoOnly);
    EXPECT_FALSE(form.panelPlace()->isVisible());
}

TEST_F(UIFormTest, MaximisingAndRestoringReturnsToTheLayoutBefore)
{
    form.countsChanged(0, 2, "alpha");
    form.ApplyLayout(Layout::VideoOnly);
    form.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.layout() == Layout::Maximised; }, 2000));
    EXPECT_EQ(form.returnLayout(), Layout::VideoOnly);
    EXPECT_TRUE(form.listFrame()->isVisible()); // the arrangement of layout 0
    saveScreen(form, "offscreen-layout3-maximised");
    form.showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.layout() == Layout::VideoOnly; }, 2000));
}

// Hiding the list or emptying it keeps the size the user gave the window, and a list the user hid
// stays hidden while its selection changes; entries after an empty list bring it back.
TEST_F(UIFormTest, TheUsersWindowSizeIsKeptWithoutTheList)
{
    form.countsChanged(4, 4, "alpha");
    form.resize(1200, 800);
    QApplication::processEvents();
    ASSERT_TRUE(form.listShown());

    form.ApplyLayout(Layout::WithoutList);
    QApplication::processEvents();
    EXPECT_FALSE(form.listShown());
    EXPECT_FALSE(form.listFrame()->isVisible());
    EXPECT_EQ(form.size(), QSize(1200, 800));
    EXPECT_EQ(form.vueFrame()->width(), form.centralWidget()->width());
    saveScreen(form, "offscreen-layout1-list-hidden");
    form.countsChanged(0, 4, "alpha"); // a run empties the selection
    EXPECT_EQ(form.layout(), Layout::WithoutList);

    form.ApplyLayout(Layout::Normal);
    EXPECT_EQ(form.size(), QSize(1200, 800));
    form.countsChanged(0, 0, "alpha"); // "Empty the list"
    EXPECT_EQ(form.layout(), Layout::WithoutList);
    EXPECT_EQ(form.size(), QSize(1200, 800));
    form.countsChanged(1, 1, "alpha");
    EXPECT_EQ(form.layout(), Layout::Normal);
    EXPECT_EQ(form.size(), QSize(1200, 800));
}

// The first quit's storage question speaks of what a Linux user has: a settings file.
TEST(SavePrefsForm, TheQuestionNamesTheSettingsFileNotARegistry)
{
    TSavePrefsForm form;
    QString text;
    for (const TLinkEdit *label : form.findChildren<TLinkEdit *>())
        text += label->toPlainText();
    EXPECT_FALSE(text.contains("registry", Qt::CaseInsensitive)) << text.toStdString();
    EXPECT_TRUE(text.contains("in your settings file (normal mode)")) << text.toStdString();
}

TEST(FitPicture, TakesTheLargestCentredRectangleOfThePicturesRatio)
{
    const struct {
        int w, h;
        QRect into, expected;
    } cases[] = {
        {720, 576, QRect(0, 0, 1920, 1080), QRect(285, 0, 1350, 1080)},
        {16, 9, QRect(0, 0, 1280, 1024), QRect(0, 152, 1280, 720)},
        {4, 3, QRect(10, 20, 400, 300), QRect(10, 20, 400, 300)},
        {0, 576, QRect(10, 20, 400, 300), QRect(10, 20, 0, 0)},
        {720, -1, QRect(10, 20, 400, 300), QRect(10, 20, 0, 0)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TUIForm::FitPicture(c.w, c.h, c.into), c.expected) << c.w << "x" << c.h;
}

TEST(StatusPanel, CommandMessageOnMoneyGreenBeforeTheLoadingMessageOnSkyBlue)
{
    StatusPanel status;
    EXPECT_EQ(status.text().toStdString(), "Ready");
    status.setOpenMessage("Analysing /tapes/");
    EXPECT_EQ(status.text().toStdString(), "Analysing /tapes/");
    EXPECT_EQ(status.colour(), QColor(166, 202, 240));
    status.setCommandMessage("Renaming clip.avi");
    EXPECT_EQ(status.text().toStdString(), "Renaming clip.avi");
    EXPECT_EQ(status.colour(), QColor(192, 220, 192));
    status.setCommandMessage({});
    EXPECT_EQ(status.text().toStdString(), "Analysing /tapes/");
    status.setOpenMessage({});
    EXPECT_EQ(status.text().toStdString(), "Ready");
    EXPECT_NE(status.colour(), QColor(192, 220, 192));
}

// What a run did stays for a while, then the bar says "Ready"; a later note is not cut short
// by the end of an earlier one.
TEST(StatusPanel, ATimedNoteGivesWayToReady)
{
    StatusPanel status;
    status.showNote("Rename: 4 files done, 1 skipped", 100);
    EXPECT_EQ(status.text().toStdString(), "Rename: 4 files done, 1 skipped");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status.text() == "Ready"; }, 2000));
    status.showNote("first", 50);
    status.showNote("second", 400);
    QTest::qWait(150);
    EXPECT_EQ(status.text().toStdString(), "second");
}

TEST(VueFrame, PicturesFitCentredAtTheirProportions)
{
    struct Case {
        int w;
        int h;
        QRect area;
        QRect expected;
    };
    const Case cases[] = {
        {4, 3, QRect(0, 0, 1280, 1024), QRect(0, 32, 1280, 960)}, // wider area: full width
        {16, 9, QRect(0, 0, 1280, 1024), QRect(0, 152, 1280, 720)},
        {4, 3, QRect(10, 20, 400, 600), QRect(10, 170, 400, 300)},
        {4, 3, QRect(0, 0, 1000, 300), QRect(300, 0, 400, 300)}, // taller picture: full height
        {0, 3, QRect(5, 6, 100, 100), QRect(5, 6, 0, 0)},        // no size: empty at the corner
    };
    for (const Case &c : cases)
        EXPECT_EQ(FitPicture(c.w, c.h, c.area), c.expected) << c.w << "x" << c.h;
}

TEST(VueFrame, TimeStampGrowsWithWidePanels)
{
    EXPECT_EQ(TVueFrame::timeStampPointSize(300), 10);
    EXPECT_EQ(TVueFrame::timeStampPointSize(500), 10);
    EXPECT_EQ(TVueFrame::timeStampPointSize(960), 20);
}

} // namespace
} // namespace camlog::widgets
