// The action catalogue: every action of the main window as one table of data, in the order of `al`.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace camlog::ui {

// Plain actions (`sa`), two-state actions (`ta`, also `saPlayStop`) and plain actions that start
// the command of the same name (`cc` + command name).
enum class ActionKind { Plain, Toggle, Command };

// What runs before the handler when the action is executed from a menu, a key or a button.
// A script or the command line never runs it: the call's parameter stands for the answer.
enum class Preparation {
    None,
    AsksUser,   // a dialog fills the action parameter list, or cancels the action
    SyncsState, // re-reads the real state of a toggle so that the matching handler runs
};

// One row of the catalogue. Captions and keys are stored as the user sees them; "%s" in a
// caption or hint stands for the program's name. Keys are key-name text ("Ctrl+Shift+2",
// "Ctrl+Num 1", "Alt+Enter"); the toolkit layer turns them into key sequences.
struct ActionDef {
    std::string_view name;
    ActionKind kind;
    std::string_view category;
    std::string_view caption;     // the only caption, or the caption of state False
    std::string_view trueCaption; // toggle actions only: the caption of state True
    std::string_view token;       // lower case; empty when the action cannot be scripted
    std::string_view switchName;  // lower case; empty when there is none
    std::string_view shortcut;    // primary key; empty when there is none
    std::array<std::string_view, 1> secondary{};
    Preparation preparation = Preparation::None;
    std::string_view hint{};

    bool isToggle() const { return kind == ActionKind::Toggle; }
    bool startsCommand() const { return kind == ActionKind::Command; }
    // The command this action starts ("ccRenommer" → "Renommer"); empty for other actions.
    std::string_view commandName() const;
    // The secondary keys actually set (the fixed-size array may hold empty slots).
    std::span<const std::string_view> secondaryShortcuts() const;
};

inline constexpr std::string_view kProgramName = "Camlog";

// Categories of the catalogue, which decide visibility (see action_refresh.h).
inline constexpr std::string_view kCategoryPermanent = "permanent";
inline constexpr std::string_view kCategoryOpen = "open";

// The whole catalogue, in the order of the main window's action list.
std::span<const ActionDef> ActionCatalogue();

// The action of that name (exact case), or nullptr.
const ActionDef *FindActionByName(std::string_view name);

// The action a script or command-line word names: the first action in catalogue order whose
// switch or token equals the lower-cased word. An empty word names no action. Switch and
// token share one look-up, so "qt" and "quit" both give "Quit", and the shared switch "di"
// gives "Display the inlay" (deinterlacing is reached by its token "deinterlace").
const ActionDef *FindAction(std::string_view word);

// The caption or hint with "%s" replaced by the program's name.
std::string FormatWithProgramName(std::string_view text);

// Names used by other parts of the program.
inline constexpr std::string_view kActionOpenPlaylist = "saOuvrirPlayList";
inline constexpr std::string_view kActionOpenFiles = "saOuvrirFichiers";
inline constexpr std::string_view kActionLaunchScript = "saOuvrirScript";
inline constexpr std::string_view kActionQuit = "saQuitter";

} // namespace camlog::ui
