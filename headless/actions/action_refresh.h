// When actions are shown and enabled: the rules of the window's action refresh, on plain inputs.
#pragma once

#include "headless/actions/action_list.h"

#include <optional>
#include <string_view>
#include <vector>

namespace camlog::ui {

// The panels that hide actions while they are shown.
struct PanelState {
    bool emptyListPanel = false;
    bool aboutPanel = false;
    bool settingsPanel = false;
};

struct Availability {
    bool visible = true;
    bool enabled = true;

    bool operator==(const Availability &) const = default;
};

// "permanent" actions are always shown; "open" ones unless the about or settings panel is
// shown; every other category also hides with the empty-list panel. Enabled follows visible.
Availability CategoryAvailability(std::string_view category, const PanelState &panels);

// Which files a command's file condition is asked about (the command's `Nombre`).
enum class FileScope { None, Single, Select, All };

// A file condition's answer for one file.
struct FileVerdict {
    bool visible = true;
    bool enabled = true;
};

// What the command bound to an action says at refresh time.
struct CommandFacts {
    std::optional<bool> commandCondition; // empty when the command has none
    FileScope scope = FileScope::None;
    // Single: the answer for the active file (no entry when the command has no file condition);
    // Select: one answer per selected file; All: one per file of the list.
    std::vector<FileVerdict> files;
};

// Narrows the category's result by the command: the command condition can hide the action;
// Single keeps it shown and enabled only as the active file's answer says; Select and All
// keep it enabled only when at least one file is enabled (no file: disabled); None adds nothing.
void ApplyCommandFacts(const CommandFacts &facts, Availability &availability);

// The command module's side of the refresh (it knows the commands, their conditions and the list).
class CommandConditions {
public:
    virtual ~CommandConditions() = default;
    // The facts of the command of that name (case ignored); nullopt when no command bears it,
    // and the action then follows its category only.
    virtual std::optional<CommandFacts> commandFacts(std::string_view commandName) const = 0;
};

struct RefreshInputs {
    PanelState panels;
    // The active file's size is known (a video stream was found); false without an active file.
    bool activeFileSizeKnown = false;
    const CommandConditions *commands = nullptr;
};

// Sets Visible and Enabled of every action, except the tool-bar actions ("saBarre...", whose
// state the window's layout owns). "Edit the scenes" also needs a file of known size.
void RefreshActions(ActionList &actions, const RefreshInputs &inputs);

} // namespace camlog::ui
