// The handlers of every action of the catalogue when there is no window: list actions on the file
// list, command actions through the engine, scripts, the RIFF report on standard output, and a
// note on standard error for the actions that need a window.
#pragma once

#include "app/batch/batch_host.h"
#include "app/batch/program_identity.h"
#include "engine/command_engine.h"
#include "ui/actions/action_list.h"
#include "ui/actions/script_runner.h"
#include "ui/list/file_list_model.h"

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace camlog::app {

// How an action reaches its command in the command module.
struct CommandBinding {
    // The command an action starts ("ccRenommer" starts "Renommer"); null when there is none.
    std::function<engine::tCustomCmd *(std::string_view actionName)> commandFor;
    // Whether the command takes the action's parameters (a codec, a frame rate, a duration...).
    std::function<bool(const engine::tCustomCmd &command)> passesParameters;
    // The run's file events, so that the time difference a run carries follows reloaded files.
    std::function<void(core::TaviFichier *fichier)> startFichier;
    std::function<void(core::TaviFichier *fichier)> endFichier;
};

// What a batch run remembers for its exit status.
struct BatchOutcome {
    bool failed = false;
    bool quit = false;
};

class HeadlessActions {
public:
    struct Parts {
        ui::ActionList &actions;
        ui::FileListModel &list;
        engine::TCommandEngine &engine;
        ui::ScriptRunner &scripts;
        BatchConsole &console;
        BatchOutcome &outcome;
        CommandBinding commands;
        ProgramIdentity identity;
        std::FILE *out; // standard output: the reports a user asked for
    };

    explicit HeadlessActions(Parts parts);

    // Gives every action of the list its handler (and each toggle both of its handlers).
    void bind();

private:
    using Handler = void (HeadlessActions::*)(ui::TCustomSuperAction &action);

    void bindPlain(std::string_view name, Handler handler);
    void bindUnavailable(ui::TCustomSuperAction &action);

    void startCommand(ui::TCustomSuperAction &action);
    void unavailable(ui::TCustomSuperAction &action);
    void openFiles(ui::TCustomSuperAction &action);
    void openFolder(ui::TCustomSuperAction &action);
    void openPreferredFolder(ui::TCustomSuperAction &action);
    void openPlaylist(ui::TCustomSuperAction &action);
    void openDefaultPlaylist(ui::TCustomSuperAction &action);
    void saveList(ui::TCustomSuperAction &action);
    void saveDetailedList(ui::TCustomSuperAction &action);
    void emptyList(ui::TCustomSuperAction &action);
    void removeFiles(ui::TCustomSuperAction &action);
    void selectAll(ui::TCustomSuperAction &action);
    void sortList(ui::TCustomSuperAction &action);
    void launchScript(ui::TCustomSuperAction &action);
    void abort(ui::TCustomSuperAction &action);
    void abortAll(ui::TCustomSuperAction &action);
    void quit(ui::TCustomSuperAction &action);
    void riffHeader(ui::TCustomSuperAction &action);
    void totalDuration(ui::TCustomSuperAction &action);
    void bindSelectWhenOpened();

    // The call's parameter; empty (after a note on standard error) when the action needs one.
    std::string requiredParameter(ui::TCustomSuperAction &action, std::string_view what);
    void fail(const std::string &text);

    Parts m;
};

// The caption an action shows ("%s" replaced by the program's name).
std::string ActionCaption(const ui::TCustomSuperAction &action);

} // namespace camlog::app
