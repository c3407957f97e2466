// The menu bar from the main menu's layout.
#include "window/main_menu.h"

#include "headless/actions/action_menus.h"
#include "window/action_binding.h"
#include "window/menu_from_layout.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace camlog::widgets {

MainMenu::MainMenu(QMenuBar &bar, ActionBinding &binding) : QObject(&bar), m_binding(binding)
{
    for (const ui::MenuDef &layout : ui::MainMenuLayout()) {
        QMenu *menu = MenuFromLayout(layout, binding, &bar);
        bar.addMenu(menu);
        m_menus.append(menu);
    }
    connect(&binding, &ActionBinding::synced, this, &MainMenu::updateVisibility);
    updateVisibility();
}

QMenu *MainMenu::menu(std::string_view name) const
{
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    for (QMenu *menu : m_menus)
        if (menu->objectName() == wanted)
            return menu;
    return nullptr;
}

void MainMenu::updateVisibility()
{
    const auto layouts = ui::MainMenuLayout();
    for (qsizetype i = 0; i < m_menus.size() && i < static_cast<qsizetype>(layouts.size()); ++i) {
        const bool visible = ui::MenuVisible(layouts[static_cast<std::size_t>(i)], [this](std::string_view name) {
            const QAction *action = m_binding.action(name);
            return action != nullptr && action->isVisible();
        });
        m_menus[i]->menuAction()->setVisible(visible);
    }
}

} // namespace camlog::widgets
