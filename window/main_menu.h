// `MainMenu`: the window's menu bar built from the main menu's layout; a top-level menu is shown
// only while one of its items is.
#pragma once

#include <QObject>

#include <string_view>

class QMenu;
class QMenuBar;

namespace camlog::widgets {

class ActionBinding;

class MainMenu : public QObject {
    Q_OBJECT
public:
    // Fills the bar; the menus follow the actions' visibility at every sync of the binding.
    MainMenu(QMenuBar &bar, ActionBinding &binding);

    // The top-level menu of that name ("Files", "Display", … "?"), or nullptr.
    QMenu *menu(std::string_view name) const;

    // Shows the top-level menus that hold a visible item, hides the others.
    void updateVisibility();

private:
    ActionBinding &m_binding;
    QList<QMenu *> m_menus;
};

} // namespace camlog::widgets
