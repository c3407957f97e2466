// The shortcut table window "Shortcuts and switches": one row per action, sorted by the chosen
// column, a double click runs the row's action, and "Display the shortcuts" follows the window.
#include "window/shortcut_table_form.h"

#include "window/action_binding.h"

#include "headless/actions/action_catalogue.h"
#include "headless/actions/action_list.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace camlog::widgets {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Column(const TRaccourcisForm &form, int column, std::size_t count)
{
    std::vector<std::string> cells;
    for (const auto &row : form.rows()) {
        if (cells.size() == count)
            break;
        cells.push_back(row[static_cast<std::size_t>(column)]);
    }
    return cells;
}

TEST(ShortcutTable, OneRowPerActionWithItsKeysSwitchAndToken)
{
    ui::ActionList al;
    ActionBinding binding(al);
    TRaccourcisForm form(binding);
    EXPECT_EQ(form.windowTitle(), "Shortcuts and switches");
    EXPECT_EQ(form.width(), 516);
    const QTableWidget &table = *form.table();
    ASSERT_EQ(table.columnCount(), 4);
    EXPECT_EQ(table.horizontalHeaderItem(0)->text(), "Functions");
    EXPECT_EQ(table.horizontalHeaderItem(3)->text(), "Script");
    EXPECT_EQ(table.columnWidth(0), 238);
    EXPECT_EQ(table.columnWidth(1), 80);

    const auto rows = form.rows();
    EXPECT_EQ(rows.size(), ui::ActionCatalogue().size()); // every action has a caption
    const auto quit = std::find_if(rows.begin(), rows.end(), [](const auto &row) { return row[0] == "Quit"; });
    ASSERT_NE(quit, rows.end());
    EXPECT_THAT(*quit, ElementsAre("Quit", "Alt+F4", "qt", "quit"));
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_LE(QString::localeAwareCompare(QString::fromStdString(rows[i - 1][0]).toLower(),
                                              QString::fromStdString(rows[i][0]).toLower()),
                  0)
            << rows[i - 1][0] << " / " << rows[i][0];
}

TEST(ShortcutTable, AClickOnAHeaderSortsByThatColumnAndTellsTheSetting)
{
    ui::ActionList al;
    ActionBinding binding(al);
    TRaccourcisForm form(binding);
    QSignalSpy changed(&form, &TRaccourcisForm::sortColumnChanged);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QHeaderView &header = *form.table()->horizontalHeader();
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                      QPoint(header.sectionViewportPosition(2) + 5, header.height() / 2));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 2);
    EXPECT_EQ(form.sortColumn(), 2);
    // Actions without a switch come first, ordered by their caption.
    EXPECT_THAT(Column(form, 2, 4), ElementsAre("", "", "", ""));
    EXPECT_THAT(Column(form, 0, 4), ElementsAre("Abort", "Abort all", "Edit the title", "Total duration of videos"));

    form.setSortColumn(3);
    const std::vector<std::string> tokens = Column(form, 3, 5);
    EXPECT_THAT(tokens, ElementsAre("", "", "", "", ::testing::Not(::testing::IsEmpty())));
    form.setSortColumn(7); // out of range: by caption
    EXPECT_EQ(form.sortColumn(), 0);
}

TEST(ShortcutTable, ADoubleClickRunsTheRowsAction)
{
    ui::ActionList al;
    ActionBinding binding(al);
    int selected = 0;
    al.plain("saSelectionnerTout")->Onexecute = [&](ui::TCustomSuperAction &, ui::ActionSender) {
        ++selected;
    };
    TRaccourcisForm form(binding);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTableWidget &table = *form.table();
    const auto found = table.findItems(QStringLiteral("Select all"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    table.scrollToItem(found[0]);
    const QPoint at = table.visualItemRect(found[0]).center();
    ASSERT_EQ(table.itemAt(at), found[0]);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(selected, 1);
}

TEST(ShortcutTable, DisplayTheShortcutsFollowsTheWindow)
{
    ui::ActionList al;
    ActionBinding binding(al);
    TRaccourcisForm form(binding);
    QAction &toggle = *binding.action("taRaccourcis");

    toggle.trigger();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(toggle.text(), "Hide the shortcuts");
    EXPECT_TRUE(toggle.isChecked());
    // The caption of a toggle in the table is that of its state.
    const auto rows = form.rows();
    EXPECT_NE(std::find_if(rows.begin(), rows.end(), [](const auto &row) { return row[0] == "Hide the shortcuts"; }),
              rows.end());

    form.close(); // closing only hides, and the toggle follows
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(toggle.text(), "Display the shortcuts");
    EXPECT_FALSE(toggle.isChecked());

    toggle.trigger();
    EXPECT_TRUE(form.isVisible());
    form.hide(); // hidden some other way: the next run re-reads the real state and shows it again
    toggle.trigger();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(toggle.text(), "Hide the shortcuts");
}

} // namespace
} // namespace camlog::widgets
