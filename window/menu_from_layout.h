// A Qt menu built from a menu layout of the action catalogue (action items, separators, sub-menus).
#pragma once

#include "headless/actions/action_menus.h"

class QMenu;
class QWidget;

namespace camlog::widgets {

class ActionBinding;

// Fills the menu with the layout's entries: each action item is the action's QAction, so the
// item shows its caption, keys, check mark and state. Names the binding does not know are left out.
void FillMenu(QMenu &menu, const ui::MenuDef &layout, const ActionBinding &binding);

// A new menu (object name: the layout's name, title: its caption) owned by parent.
QMenu *MenuFromLayout(const ui::MenuDef &layout, const ActionBinding &binding, QWidget *parent);

} // namespace camlog::widgets
