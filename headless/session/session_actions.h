// The handlers of every action of the catalogue that a session runs without a window: list
// actions on the file list, command actions through the engine, scripts, the reports, and a note
// for the actions that need a window (the window binds its own handlers over those).
#pragma once

#include "engine/command_engine.h"
#include "headless/actions/action_list.h"
#include "headless/actions/script_runner.h"
#include "headless/list/file_list_model.h"
#include "headless/session/command_binding.h"
#include "headless/session/program_identity.h"
#include "headless/session/session_host.h"

#include <functional>
#include <string>
#include <string_view>

namespace camlog::session {

// What a session remembers of its work: a failure (of a file, a list action, an opening) and a
// "Quit" call.
struct SessionOutcome {
    bool failed = false;
    bool quit = false;
};

class SessionActions {
public:
    struct Parts {
        ui::ActionList &actions;
        ui::FileListModel &list;
        engine::TCommandEngine &engine;
        ui::ScriptRunner &scripts;
        SessionHost &host;
        SessionOutcome &outcome;
        const CommandBinding &commands;
        ProgramIdentity identity;
        // Called when "Quit" runs, after the running calls were stopped.
        std::function<void()> onQuit;
        // Lets stopped calls end from the host's loop (a stop outside a call's handler).
        std::function<void()> continueCalls;
    };

    explicit SessionActions(Parts parts);

    // Gives every action of the list its handler (and each toggle both of its handlers).
    void bind();
    // The caption of the action whose command was started last ("Convert in type 2").
    const std::string &lastCommandCaption() const { return m_lastCommandCaption; }
    // Writes the list to the default playlist, the file the next start restores, replacing the
    // previous session's one without a question: it is the program's own file.
    void saveDefaultPlaylist();

private:
    using Handler = void (SessionActions::*)(ui::TCustomSuperAction &action);

    void bindPlain(std::string_view name, Handler handler);
    void bindUnavailable(ui::TCustomSuperAction &action);

    void startCommand(ui::TCustomSuperAction &action);
    void unavailable(ui::TCustomSuperAction &action);
    void openFiles(ui::TCustomSuperAction &action);
    void openFolder(ui::TCustomSuperAction &action);
    void openPreferredFolder(ui::TCustomSuperAction &action);
    // Every file on the mounted disks.
    void openAll(ui::TCustomSuperAction &action);
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

    // Whether the file at path may be written: yes when there is none, else the user's answer.
    bool mayReplace(const std::string &path, const std::string &what);
    // Writes the list as a playlist to an absolute path; a failure is noted.
    void writePlaylist(const std::string &path);
    // The call's parameter; empty (after a note on standard error) when the action needs one.
    std::string requiredParameter(ui::TCustomSuperAction &action, std::string_view what);
    void fail(const std::string &text);
    void stopCalls();
    void warn(const std::string &text);

    Parts m;
    std::string m_lastCommandCaption;
};

// The caption an action shows ("%s" replaced by the program's name).
std::string ActionCaption(const ui::TCustomSuperAction &action);

} // namespace camlog::session
