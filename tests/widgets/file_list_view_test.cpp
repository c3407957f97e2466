// The list box as a widget: the item model follows the list through its row events, the selection
// lives in the list and survives sorts, keys and clicks make an entry active, files are dragged out
// as URLs and dropped in from a file manager.
#include "window/file_drop_filter.h"
#include "window/file_list_adapter.h"
#include "window/file_list_view.h"
#include "window/file_urls.h"
#include "window/qt_list_dispatcher.h"

#include "headless/list/file_list_model.h"
#include "media/decoding/avi_probe.h"
#include "support/test_files.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace camlog::widgets {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

ui::AviFilePtr Fake(const std::string &path)
{
    return core::TaviFichier::Create(path, core::AviFileContext{});
}

// Qt's model tester reports broken model contracts as warnings; the tests count them.
class ModelWarnings {
public:
    ModelWarnings()
    {
        s_count = 0;
        s_previous = qInstallMessageHandler(&ModelWarnings::handle);
    }
    ~ModelWarnings() { qInstallMessageHandler(s_previous); }
    int count() const { return s_count; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg && qstrcmp(context.category, "qt.modeltest") == 0) {
            ++s_count;
            ADD_FAILURE() << message.toStdString();
        }
        if (s_previous)
            s_previous(type, context, message);
    }
    static inline int s_count = 0;
    static inline QtMessageHandler s_previous = nullptr;
};

class FileListViewTest : public ::testing::Test {
protected:
    FileListViewTest()
        : list(dispatcher, ui::TaviFichierFactory(core::AviFileContext{&prober})),
          adapter(list),
          view(adapter)
    {
        list.OnOpenTestExtension = [](const std::string &name) {
            return ui::IsAviFileName(name);
        };
        list.OnOpenEnd = [this](int) {
            ++ended;
        };
        view.resize(300, 400);
    }

    std::vector<std::string> Shown() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < adapter.rowCount(); ++row)
            names.push_back(adapter.data(adapter.index(row)).toString().toStdString());
        return names;
    }
    std::vector<std::string> ViewSelection() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < adapter.rowCount(); ++row)
            if (view.selectionModel()->isRowSelected(row, {}))
                names.push_back(adapter.data(adapter.index(row)).toString().toStdString());
        return names;
    }
    std::vector<std::string> ListSelection() const
    {
        std::vector<std::string> names;
        for (const auto &f : list.SelectedFiles())
            names.push_back(f->FileName);
        return names;
    }
    std::string Active() const { return list.ActiveFile() ? list.ActiveFile()->FileName : "(none)"; }
    QPoint RowCentre(int row) const { return view.visualRect(adapter.index(row)).center(); }
    void Fill(std::initializer_list<const char *> paths)
    {
        for (const char *path : paths)
            list.AddFile(Fake(path), false);
    }
    bool WaitEnded(int n)
    {
        return QTest::qWaitFor([&] { return ended >= n; }, 60000);
    }

    media::AviProber prober;
    QtListDispatcher dispatcher;
    ui::FileListModel list;
    FileListAdapter adapter;
    FileListView view;
    int ended = 0;
};

// A name longer than the list is wide keeps its row inside the list and loses its middle, not
// its end; the row's tool tip is the whole path.
TEST_F(FileListViewTest, ALongNameIsShortenedInItsMiddleWithThePathAsToolTip)
{
    const std::string longName = "/v/holiday_in_the_mountains_with_the_whole_family_summer_2004_tape_3_part_2.avi";
    Fill({"/v/a.avi", longName.c_str()});
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QModelIndex row = adapter.index(1);
    EXPECT_EQ(adapter.data(row, Qt::ToolTipRole).toString().toStdString(), longName);
    EXPECT_LE(view.visualRect(row).width(), view.viewport()->width());
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
    EXPECT_EQ(view.textElideMode(), Qt::ElideMiddle);
}

TEST_F(FileListViewTest, TheItemModelFollowsEveryChangeOfTheList)
{
    ModelWarnings warnings;
    QAbstractItemModelTester tester(&adapter, QAbstractItemModelTester::FailureReportingMode::Warning);
    Fill({"/v2/a.avi", "/v1/b.avi", "/v3/c.avi", "/v1/d.avi", "/v2/e.avi"});
    EXPECT_THAT(Shown(), ElementsAre("a.avi", "b.avi", "c.avi", "d.avi", "e.avi"));
    EXPECT_EQ(adapter.data(adapter.index(1), Qt::ToolTipRole).toString(), "/v1/b.avi");

    QSignalSpy changed(&adapter, &QAbstractItemModel::dataChanged);
    list.AddFile(Fake("/v1/b.avi"), false); // reloaded
    EXPECT_EQ(changed.count(), 1);

    list.SetSortIndex(*ui::FindSortIndex("chemin"));
    EXPECT_THAT(Shown(), ElementsAre("b.avi", "d.avi", "a.avi", "e.avi", "c.avi"));

    list.SelectAll(false);
    list.SetSelection({0, 1, 3});
    list.RemoveSelected();
    EXPECT_THAT(Shown(), ElementsAre("a.avi", "c.avi"));

    const ui::AviFilePtr renamed = list.GetFile(0);
    renamed->SetPath("/v9/a.avi");
    list.ReplaceFile(renamed.get(), renamed);
    EXPECT_THAT(Shown(), ElementsAre("c.avi", "a.avi"));

    list.ClearList();
    EXPECT_EQ(adapter.rowCount(), 0);
    EXPECT_EQ(warnings.count(), 0);
}

TEST_F(FileListViewTest, TheSelectionStaysWithItsFilesAcrossASort)
{
    Fill({"/v2/a.avi", "/v1/b.avi", "/v3/c.avi", "/v1/d.avi", "/v2/e.avi"});
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    // The user selects b and d with Ctrl held, d last: d becomes active.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, RowCentre(1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, RowCentre(3));
    EXPECT_THAT(ListSelection(), ElementsAre("b.avi", "d.avi"));
    EXPECT_EQ(Active(), "d.avi");

    list.SetSortIndex(*ui::FindSortIndex("chemin")); // b d a e c
    EXPECT_THAT(Shown(), ElementsAre("b.avi", "d.avi", "a.avi", "e.avi", "c.avi"));
    EXPECT_THAT(ViewSelection(), ElementsAre("b.avi", "d.avi"));
    EXPECT_THAT(ListSelection(), ElementsAre("b.avi", "d.avi"));
    EXPECT_EQ(view.currentIndex().row(), 1);
    EXPECT_EQ(Active(), "d.avi");

    // A command's update: the active file reloaded and another one replaced by a renamed copy.
    list.AddFile(Fake("/v1/d.avi"), false);
    const ui::AviFilePtr b = list.GetFile(0);
    b->SetPath("/v0/b.avi");
    list.ReplaceFile(b.get(), b);
    EXPECT_THAT(ViewSelection(), ElementsAre("b.avi", "d.avi"));

    // The list's own selection changes reach the view.
    list.SelectAll(true);
    EXPECT_EQ(ViewSelection().size(), 5u);
    list.SelectAll(false);
    EXPECT_THAT(ViewSelection(), ElementsAre("d.avi"));
    EXPECT_EQ(view.toolTip(), "1 fichier sélectionné sur 5");
}

TEST_F(FileListViewTest, KeysAndClicksMakeTheCurrentEntryActive)
{
    Fill({"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi"});
    view.show();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    view.setFocus();

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, RowCentre(1));
    EXPECT_EQ(Active(), "b.avi");
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(Active(), "c.avi");
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Active(), "d.avi");
    EXPECT_THAT(ListSelection(), ElementsAre("c.avi", "d.avi"));
    EXPECT_EQ(view.toolTip(), "2 fichiers sélectionnés sur 4");
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(Active(), "a.avi");

    // Delete removes the selection only when the box owns that key, and never with Shift.
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(list.Count(), 4);
    view.setKeyDelete(true);
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(list.Count(), 4);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(Active(), "b.avi"); // the entry after the removed first one, now first
}

TEST_F(FileListViewTest, SelectedFilesAreDraggedOutAsFileUrls)
{
    Fill({"/v/a.avi", "/v/b b.avi", "/v/c.avi"});
    const std::unique_ptr<QMimeData> data(adapter.mimeData({adapter.index(2), adapter.index(0), adapter.index(2)}));
    ASSERT_TRUE(data);
    EXPECT_THAT(data->urls(), ElementsAre(QUrl::fromLocalFile("/v/a.avi"), QUrl::fromLocalFile("/v/c.avi")));
    EXPECT_THAT(LocalFilePaths(data.get()), ElementsAre("/v/a.avi", "/v/c.avi"));
    EXPECT_EQ(adapter.supportedDragActions(), Qt::CopyAction);
    EXPECT_TRUE(adapter.flags(adapter.index(1)) & Qt::ItemIsDragEnabled);
}

// A drop: the folder is opened with all its subfolders, a ".txt" file as a playlist.
TEST_F(FileListViewTest, FilesAndFoldersDroppedOnTheListAreOpened)
{
    const fs::path dir = camlog::test::scratchDir("listview_drop");
    fs::create_directories(dir / "f" / "a");
    fs::create_directories(dir / "p");
    fs::create_symlink(camlog::test::fixturePath("tape_three-type1.avi"), dir / "f" / "a" / "one.avi");
    fs::create_symlink(camlog::test::fixturePath("pal_16x9_32k-type1.avi"), dir / "f" / "two.avi");
    fs::create_symlink(camlog::test::fixturePath("ntsc_4x3_48k-type1.avi"), dir / "p" / "three.avi");
    camlog::test::writeBytes(dir / "p" / "list.txt", {'t', 'h', 'r', 'e', 'e', '.', 'a', 'v', 'i', '\n'});
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QSignalSpy dropped(&view, &FileListView::filesDropped);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((dir / "f").string())),
                  QUrl::fromLocalFile(QString::fromStdString((dir / "p" / "list.txt").string()))});
    const QPoint at = view.viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view.viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(dropped.count(), 1);

    ASSERT_TRUE(WaitEnded(1));
    EXPECT_THAT(Shown(), ElementsAre("one.avi", "three.avi", "two.avi"));

    // Text dragged over the list is refused.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(view.viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST(FileDropFilter, FilesDroppedOnAWidgetReachTheHandler)
{
    QWidget window;
    std::vector<std::string> received;
    FileDropFilter::install(&window, [&](std::vector<std::string> paths) { received = std::move(paths); });
    EXPECT_TRUE(window.acceptDrops());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/videos/tape 1.avi"), QUrl(QStringLiteral("https://example.org/x.avi")),
                  QUrl::fromLocalFile("/videos/folder")});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&window, &drop);
    EXPECT_THAT(received, ElementsAre("/videos/tape 1.avi", "/videos/folder"));
}

// A folder opened through the window's dispatcher arrives entry by entry in the view.
TEST_F(FileListViewTest, AFolderOpenedOnItsThreadArrivesInTheView)
{
    const fs::path dir = camlog::test::scratchDir("listview_folder");
    for (int i = 0; i < 60; ++i) {
        fs::create_directories(dir / ("d" + std::to_string(i % 7)));
        fs::create_symlink(camlog::test::fixturePath("tape_three-type1.avi"),
                           dir / ("d" + std::to_string(i % 7)) / ("clip" + std::to_string(100 + i) + ".avi"));
    }
    list.SelectionnerOuverts = true;
    ModelWarnings warnings;
    QAbstractItemModelTester tester(&adapter, QAbstractItemModelTester::FailureReportingMode::Warning);
    view.show();
    list.OpenFolder(dir.string());
    ASSERT_TRUE(WaitEnded(1));
    ASSERT_EQ(adapter.rowCount(), 60);
    EXPECT_EQ(Shown().front(), "clip100.avi");
    EXPECT_EQ(Shown().back(), "clip159.avi");
    // The new rows' selection shows once the burst of inserts is over.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ViewSelection().size() == 60u; }, 5000)) << ViewSelection().size();
    EXPECT_EQ(warnings.count(), 0);
}

} // namespace
} // namespace camlog::widgets
