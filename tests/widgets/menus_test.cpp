// Menus and tool bars built from their layouts: items in the layouts' order, top-level menus that
// disappear with their items, tool bars whose menu entries follow them.
#include "window/action_binding.h"
#include "window/main_menu.h"
#include "window/menu_from_layout.h"
#include "window/tool_bars.h"

#include "headless/actions/action_list.h"
#include "headless/actions/action_menus.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace camlog::widgets {
namespace {

using ::testing::ElementsAre;

// The texts of a menu's items: "-" for a separator, "caption >" for a sub-menu.
std::vector<std::string> Items(const QMenu &menu)
{
    std::vector<std::string> items;
    for (const QAction *action : menu.actions()) {
        if (action->isSeparator())
            items.emplace_back("-");
        else if (action->menu() != nullptr)
            items.push_back(action->text().toStdString() + " >");
        else
            items.push_back(action->text().toStdString());
    }
    return items;
}

std::vector<std::string> Items(const QToolBar &bar)
{
    std::vector<std::string> items;
    for (const QAction *action : bar.actions())
        items.push_back(action->objectName().toStdString());
    return items;
}

TEST(MainMenu, MenusFollowTheirLayoutAndDisappearWithTheirItems)
{
    ui::ActionList al;
    ActionBinding binding(al);
    QMenuBar bar;
    MainMenu menu(bar, binding);

    std::vector<std::string> titles;
    for (const QAction *action : bar.actions())
        titles.push_back(action->text().toStdString());
    EXPECT_THAT(titles, ElementsAre("Files", "Display", "Video", "Rename", "Convert", "Inlay", "Scenes", "?"));
    ASSERT_NE(menu.menu("Rename"), nullptr);
    EXPECT_THAT(Items(*menu.menu("Rename")),
                ElementsAre("Add datecode", "Add timecode", "Rename", "-", "Shorten the name"));
    EXPECT_THAT(Items(*menu.menu("Convert")),
                ElementsAre("Convert in type 1", "Convert in type 2", "Recompress into DV type 2", "Fix the DV type 2",
                            "-", "Convert in NTSC", "Convert in Pal", "Convert to 4x3", "Convert to 16x9", "-",
                            "Fix a time difference", "Extract audio", "-", "Export a share copy",
                            "Export a share copy of each scene"));
    const std::vector<std::string> files = Items(*menu.menu("Files"));
    ASSERT_EQ(files.size(), 16u);
    EXPECT_EQ(files[11], "Sort the list >");
    const QMenu &sort = *menu.menu("Files")->actions()[11]->menu();
    EXPECT_THAT(Items(sort), ElementsAre("Alphabetical order", "Sort by size", "Sort by filedate", "Sort by datecode",
                                         "Sort by timecode", "Sorted by duration"));
    EXPECT_EQ(menu.menu("Files")->actions()[0], binding.action("saOuvrirFichiers")); // the very same QAction

    const auto shown = [&] {
        std::vector<std::string> names;
        for (const QAction *action : bar.actions())
            if (action->isVisible())
                names.push_back(action->text().toStdString());
        return names;
    };
    binding.refresh({.panels = {.emptyListPanel = true}});
    EXPECT_THAT(shown(), ElementsAre("Files", "Display", "?"));
    binding.refresh({.panels = {}, .activeFileSizeKnown = true});
    EXPECT_EQ(shown().size(), 8u);
    binding.refresh({.panels = {.settingsPanel = true}});
    EXPECT_THAT(shown(), ElementsAre("Files", "Display", "?")); // "Quit" and the tool-bar sub-menu stay
}

TEST(PopupMenus, BuiltFromTheirLayouts)
{
    ui::ActionList al;
    ActionBinding binding(al);
    QWidget owner;
    const QMenu *video = MenuFromLayout(ui::VideoPanelPopupLayout(), binding, &owner);
    EXPECT_EQ(video->objectName(), "pmWindow");
    EXPECT_THAT(Items(*video),
                ElementsAre("Fullscreen", "-", "Play", "Turn sound off", "-", "Copy the current image to the clipboard",
                            "-", "List at right", "Display the video only"));
    const QMenu *main = MenuFromLayout(ui::MainPopupLayout(), binding, &owner);
    const QMenu *list = MenuFromLayout(ui::ListPopupLayout(), binding, &owner);
    EXPECT_EQ(list->objectName(), "listpopup");
    EXPECT_EQ(Items(*main), Items(*list));
    EXPECT_THAT(Items(*list), ElementsAre("Open...", "Paste files", "Open a folder...", "Open the preferred folder",
                                          "Open a playlist...", "Launch a script", "-", "Empty the list",
                                          "Save the list as...", "Save the detailed list", "Select all", "-",
                                          "Export a share copy", "Export a share copy of each scene", "Sort >", "-",
                                          "Display the shortcuts", "Settings", "About...", "Quit"));
}

TEST(ToolBars, FiveBarsAndTheirEntriesInTheToolBarsMenu)
{
    ui::ActionList al;
    ActionBinding binding(al);
    QMainWindow window;
    ToolBars bars(binding, &window);
    for (QToolBar *bar : bars.bars())
        window.addToolBar(bar);
    window.show();

    ASSERT_EQ(bars.bars().size(), 5);
    EXPECT_THAT(Items(*bars.bar("tbOuvrir")),
                ElementsAre("saOuvrirDossierPrefere", "saOuvrirFichiers", "saOuvrirScript", "saCollerFichiers"));
    EXPECT_THAT(Items(*bars.bar("tbInterface")), ElementsAre("taOptions", "saQuitter", "taApropos", "taRaccourcis"));
    EXPECT_THAT(Items(*bars.bar("tbListe")), ElementsAre("saViderListe", "saSauverListe", "saSelectionnerTout"));
    EXPECT_EQ(bars.bar("tbVideo")->actions().size(), 9);
    EXPECT_EQ(bars.bar("tbVideo")->actions().back(), binding.action("ccShareCopy"));
    EXPECT_EQ(bars.bar("tbVideo")->windowTitle(), "Change the Video");

    EXPECT_TRUE(bars.bar("tbScenes")->isHidden());
    EXPECT_FALSE(binding.action("saBarreScenes")->isChecked());
    EXPECT_TRUE(binding.action("saBarreListe")->isChecked());
    bars.bar("tbListe")->hide();
    EXPECT_FALSE(al.find("saBarreListe")->Checked());
    EXPECT_FALSE(binding.action("saBarreListe")->isChecked());
    bars.bar("tbScenes")->show();
    EXPECT_TRUE(binding.action("saBarreScenes")->isChecked());
    window.hide(); // the window's own hiding is not the user's choice
    EXPECT_TRUE(binding.action("saBarreScenes")->isChecked());
}

} // namespace
} // namespace camlog::widgets
