// Menus from their layouts.
#include "window/menu_from_layout.h"

#include "window/action_binding.h"

#include <QMenu>

#include <vector>

namespace camlog::widgets {

void FillMenu(QMenu &menu, const ui::MenuDef &layout, const ActionBinding &binding)
{
    std::vector<QMenu *> open{&menu}; // the menu being filled, then its open sub-menus
    for (const ui::MenuEntry &entry : layout.entries) {
        QMenu &current = *open.back();
        switch (entry.kind) {
        case ui::MenuEntryKind::Action:
            if (QAction *action = binding.action(entry.text))
                current.addAction(action);
            break;
        case ui::MenuEntryKind::Separator:
            current.addSeparator();
            break;
        case ui::MenuEntryKind::SubmenuBegin:
            open.push_back(
                current.addMenu(QString::fromUtf8(entry.text.data(), static_cast<qsizetype>(entry.text.size()))));
            break;
        case ui::MenuEntryKind::SubmenuEnd:
            if (open.size() > 1)
                open.pop_back();
            break;
        }
    }
}

QMenu *MenuFromLayout(const ui::MenuDef &layout, const ActionBinding &binding, QWidget *parent)
{
    auto *menu =
        new QMenu(QString::fromUtf8(layout.caption.data(), static_cast<qsizetype>(layout.caption.size())), parent);
    menu->setObjectName(QString::fromUtf8(layout.name.data(), static_cast<qsizetype>(layout.name.size())));
    FillMenu(*menu, layout, binding);
    return menu;
}

} // namespace camlog::widgets
