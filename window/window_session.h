// The window as the host of one session: the main window shows the session's list, status and
// questions; the session's list, engine, actions and scripts do the work. Also the start (settings
// applied, the command line or the previous list at the first activation) and the end (the storage
// question, the settings saved, a running command stopped first, the list saved) of the program.
#pragma once

#include "headless/session/session.h"
#include "prefs/prefs_environment.h"
#include "prefs/settings.h"
#include "window/ui_form.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class QToolBar;

namespace camlog::widgets {

class ActionBinding;
class CommandDialogs;
class TAproposFrame;
class TOptionsFrame;
class TRiffForm;
class FileListAdapter;
class MainMenu;
class PreparationDialogs;
class PreviewPanel;
class TRaccourcisForm;
class ToolBars;
class SceneEditorPanel;
class InlayEditorBinding;
class TypingKeys;

struct WindowStart {
    prefs::Settings settings;
    prefs::PrefsEnvironment environment;
    const core::AviFileContext *context = nullptr; // must outlive the window session
    session::CommandBinding commands;
    session::ProgramIdentity identity;
    std::vector<std::string> arguments; // the command line, processed at the first activation
    std::string homePage;               // the about panel's links: the program's home page
    std::string mailAddress;            // and the maker's mail address
};

class WindowSession : public QObject, private session::SessionHost {
    Q_OBJECT
public:
    explicit WindowSession(WindowStart start);
    // Waits for a running command's end (serving its hand-offs) before the session goes.
    ~WindowSession() override;

    TUIForm &form() { return *m_form; }
    TOptionsFrame *optionsFrame() const { return m_options; }
    TAproposFrame *aproposFrame() const { return m_about; }
    TRiffForm *riffForm() const { return m_riff; }
    CommandDialogs *commandDialogs() const { return m_commandDialogs.get(); }
    PreparationDialogs *preparationDialogs() const { return m_dialogs.get(); }
    TRaccourcisForm *shortcutTable() const { return m_shortcuts; }
    SceneEditorPanel *sceneEditor() const { return m_sceneEditor; }
    InlayEditorBinding *inlayEditor() const { return m_inlayEditor; }
    PreviewPanel *preview() const { return m_preview; }
    session::Session &session() { return *m_session; }
    // The settings as the window holds them now (what a save would write).
    prefs::Settings currentWindowSettings() const;
    // The command line (or the restoring of the previous list) has been processed.
    bool started() const { return m_started; }

    // Runs the action of that name as a key or menu would (nothing when disabled).
    bool execute(std::string_view actionName);
    // Empties the preview when it shows that file, before a command touches it (any thread).
    void closePreview(const std::string &path);

    // Closes the window as its close button does, but asks nothing (a signal, a logout: nobody
    // may be there to answer): the running command is stopped, the settings saved where they
    // were saved before, the list kept when the settings say so.
    void quitWithoutQuestions();

private:
    // session::SessionHost
    void post(std::function<void()> task) override;
    engine::TAnswer askQuestion(const std::string &text, engine::TQuestionButtons buttons) override;
    void commandMessage(const std::string &text) override;
    void commandError(const std::string &text) override;
    void startProgress(int maximum) override;
    void setProgress(int position) override;
    void endProgress() override;
    void note(session::NoteKind kind, const std::string &text) override;
    void report(session::ReportKind kind, const std::string &text) override;
    bool hostBusy() const override;

    // The scene editor and the inlay editor over the preview.
    void buildEditors();

    void applySettings();
    void wireForm();
    void wireList();
    void wireSession();
    void bindWindowActions();
    // The menus, tool bars, keys, list box, drops and file dialogs over the session's actions.
    void buildInput();
    // Asks for a refresh of the actions; refreshes come together, at most every 100 ms while
    // the list is loading (a refresh asks every command's condition about every file).
    void refreshActions();
    void refreshActionsNow();
    void processCommandLine();
    bool closeRequest();
    void saveSettings();
    void saveListAtQuit();
    void showListToolBars(bool shown);
    // The about and settings panels (layout 2) and the windows and captions that follow settings.
    void buildPanels();
    void bindPanelToggles();
    void openPanel(bool settings);
    // Closes the open panel; with restore, the layout it came from returns.
    void closePanels(bool restore);
    void wireOptions();
    void nameOpenWith(int key, const std::string &program);

    WindowStart m_start;
    std::unique_ptr<TUIForm> m_form;
    std::unique_ptr<session::Session> m_session;
    prefs::Settings m_dialogSettings; // the folders the file dialogs remember
    ActionBinding *m_binding = nullptr;
    MainMenu *m_menu = nullptr;
    ToolBars *m_toolBars = nullptr;
    FileListAdapter *m_adapter = nullptr;
    PreviewPanel *m_preview = nullptr;
    TRaccourcisForm *m_shortcuts = nullptr;
    std::unique_ptr<PreparationDialogs> m_dialogs;
    std::unique_ptr<CommandDialogs> m_commandDialogs;
    TOptionsFrame *m_options = nullptr;
    TAproposFrame *m_about = nullptr;
    TRiffForm *m_riff = nullptr;
    std::unique_ptr<TypingKeys> m_typingKeys;
    SceneEditorPanel *m_sceneEditor = nullptr;
    InlayEditorBinding *m_inlayEditor = nullptr;
    std::vector<QToolBar *> m_barsHiddenByPanel;
    QTimer m_refresh;
    bool m_started = false;
    bool m_closing = false; // a close waits for the running command to end
    bool m_closed = false;
    bool m_noQuestions = false; // the close may not ask (quitWithoutQuestions)
};

} // namespace camlog::widgets
