// The tool bars of the main window as data: which actions each shows, in order.
#pragma once

#include <span>
#include <string_view>

namespace camlog::ui {

struct ToolBarDef {
    std::string_view name;         // e.g. "tbOuvrir"
    std::string_view caption;      // its title
    std::string_view toggleAction; // the entry of the "Tool bars" menu that shows or hides it
    std::span<const std::string_view> actions;
    bool shownAtStart = true;
};

// tbOuvrir, tbVideo, tbInterface, tbScenes (hidden at start) and tbListe, in order.
std::span<const ToolBarDef> ToolBarLayouts();

// The tool bar of that name, or nullptr.
const ToolBarDef *FindToolBar(std::string_view name);

} // namespace camlog::ui
