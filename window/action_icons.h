// The pictures of the actions: freedesktop icon names, looked up in the desktop's icon theme.
#pragma once

#include <QIcon>

#include <span>
#include <string_view>

namespace camlog::widgets {

// The icon names of an action: the one shown while the action is unchecked and, for a toggle
// whose picture follows its state, the one shown while it is checked (empty: the same).
struct ActionIconNames {
    std::string_view action;
    std::string_view icon;
    std::string_view checkedIcon;
};

// Every action that has a picture; the names are freedesktop icon names.
std::span<const ActionIconNames> ActionIconTable();

// The icon of the action in that state, from the current icon theme (with the theme installed
// beside the program as the fallback); a null icon for an action without a picture.
QIcon ActionIcon(std::string_view action, bool checked);

// Makes the installed Adwaita theme the fallback of the desktop's icon theme, so that a session
// without a desktop (or with a theme that lacks a name) still finds every picture.
void UseFallbackIconTheme();

} // namespace camlog::widgets
