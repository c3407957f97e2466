// The layout of the main menu and the pop-up menus as data: which actions each shows, in order.
#pragma once

#include <functional>
#include <span>
#include <string_view>

namespace camlog::ui {

// A menu is a flat list: action items, separator lines, and sub-menus between a SubmenuBegin
// (carrying the sub-menu's caption) and its SubmenuEnd.
enum class MenuEntryKind { Action, Separator, SubmenuBegin, SubmenuEnd };

struct MenuEntry {
    MenuEntryKind kind;
    std::string_view text; // the action's name, or the sub-menu's caption
};

struct MenuDef {
    std::string_view name;    // e.g. "Files" or "mainPopup"
    std::string_view caption; // empty for pop-up menus
    std::span<const MenuEntry> entries;
};

// The top-level menus of `MainMenu`, in order.
std::span<const MenuDef> MainMenuLayout();
// `mainPopup` (window background, file list, empty-list panel) and `pmWindow` (video panel).
const MenuDef &MainPopupLayout();
// `listpopup` (the file list): the items of `mainPopup`.
const MenuDef &ListPopupLayout();
const MenuDef &VideoPanelPopupLayout();

// A top-level menu is shown when one of its own items, other than a separator, is shown: an
// action item when its action is visible, a sub-menu item always.
bool MenuVisible(const MenuDef &menu, const std::function<bool(std::string_view actionName)> &actionVisible);

} // namespace camlog::ui
