// The session's action handlers.
#include "headless/session/session_actions.h"

#include "core/format.h"
#include "core/list_files.h"
#include "core/riff_report.h"
#include "engine/graph_command.h"
#include "headless/actions/script_file.h"
#include "headless/actions/script_reader.h"
#include "prefs/current_settings.h"
#include "prefs/settings_io.h"
#include "scenes/write_scn_text.h"

#include <exception>
#include <filesystem>
#include <utility>

namespace camlog::session {

namespace fs = std::filesystem;
using ui::TCustomSuperAction;

namespace {

struct SortAction {
    std::string_view action;
    std::string_view keyWord;
};
constexpr SortAction kSortActions[] = {
    {"saOrdreAlpha", "alpha"},     {"saTriTaille", "taille"},     {"saTrierModify", "modify"},
    {"saTriDatecode", "datecode"}, {"saTriTimecode", "timecode"}, {"saTriDuree", "duree"},
};

// A path typed on the command line or in a script is relative to the current folder.
std::string AbsolutePath(const std::string &path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(path), error);
    return error ? path : absolute.lexically_normal().string();
}

std::string FirstParameter(const TCustomSuperAction &action)
{
    const auto &list = action.parameters().list;
    return list.empty() ? std::string() : list.front();
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

} // namespace

std::string ActionCaption(const TCustomSuperAction &action)
{
    return ui::FormatWithProgramName(action.Caption());
}

SessionActions::SessionActions(Parts parts) : m(std::move(parts)) {}

void SessionActions::fail(const std::string &text)
{
    m.outcome.failed = true;
    m.host.note(NoteKind::Failure, text);
}

bool SessionActions::mayReplace(const std::string &path, const std::string &what)
{
    std::error_code error;
    if (!fs::exists(fs::path(path), error))
        return true;
    // The same question as for the destination of a command run on one file.
    const engine::TAnswer answer = m.host.askQuestion("Do you really want to delete the existing file " + path,
                                                      engine::TQuestionButtons::YesNoCancel);
    if (answer == engine::TAnswer::Yes || answer == engine::TAnswer::YesToAll)
        return true;
    warn(what + " was not saved: " + path + " is kept");
    return false;
}

void SessionActions::warn(const std::string &text)
{
    m.host.note(NoteKind::Warning, text);
}

std::string SessionActions::requiredParameter(TCustomSuperAction &action, std::string_view what)
{
    std::string parameter = FirstParameter(action);
    if (parameter.empty())
        fail(Quoted(ActionCaption(action)) + " needs " + std::string(what) + ", for instance " + action.Token()
             + "=PATH");
    return parameter;
}

void SessionActions::bindPlain(std::string_view name, Handler handler)
{
    if (auto *action = m.actions.plain(name))
        action->Onexecute = [this, handler](TCustomSuperAction &a, ui::ActionSender) {
            (this->*handler)(a);
        };
}

void SessionActions::bindUnavailable(TCustomSuperAction &action)
{
    const auto handler = [this](TCustomSuperAction &a, ui::ActionSender) {
        unavailable(a);
    };
    if (auto *toggle = dynamic_cast<ui::TtoggleAction *>(&action)) {
        toggle->OnTrueExecute = handler;
        toggle->OnfalseExecute = handler;
        toggle->SetChecked(toggle->Checked());
    } else if (auto *plain = dynamic_cast<ui::TSuperAction *>(&action)) {
        plain->Onexecute = handler;
    }
}

void SessionActions::bind()
{
    // Everything starts as a window-only action; the list below gives the others their work.
    for (const auto &action : m.actions.actions()) {
        if (action->definition().startsCommand()) {
            bindPlain(action->Name(), &SessionActions::startCommand);
        } else {
            bindUnavailable(*action);
        }
    }
    bindPlain("saQuitter", &SessionActions::quit);
    bindPlain("saInterrompre", &SessionActions::abort);
    bindPlain("saInterrompreTous", &SessionActions::abortAll);
    bindPlain("saOuvrirFichiers", &SessionActions::openFiles);
    bindPlain("saOuvrirunDossier", &SessionActions::openFolder);
    bindPlain("saOuvrirDossierPrefere", &SessionActions::openPreferredFolder);
    bindPlain("saOuvrirTout", &SessionActions::openAll);
    bindPlain("saOuvrirPlayList", &SessionActions::openPlaylist);
    bindPlain("saOuvrirDefaultPlayList", &SessionActions::openDefaultPlaylist);
    bindPlain("saSauverListe", &SessionActions::saveList);
    bindPlain("saListeDetaillee", &SessionActions::saveDetailedList);
    bindPlain("saViderListe", &SessionActions::emptyList);
    bindPlain("saOterFichier", &SessionActions::removeFiles);
    bindPlain("saSelectionnerTout", &SessionActions::selectAll);
    bindPlain("saOuvrirScript", &SessionActions::launchScript);
    bindPlain("saRiffHeader", &SessionActions::riffHeader);
    bindPlain("saDureeTotale", &SessionActions::totalDuration);
    for (const SortAction &sort : kSortActions)
        bindPlain(sort.action, &SessionActions::sortList);
    bindSelectWhenOpened();
}

void SessionActions::unavailable(TCustomSuperAction &action)
{
    m.host.note(NoteKind::Unavailable, Quoted(ActionCaption(action)));
}

void SessionActions::startCommand(TCustomSuperAction &action)
{
    engine::tCustomCmd *command = m.commands.commandFor ? m.commands.commandFor(action.Name()) : nullptr;
    if (command == nullptr) {
        unavailable(action);
        return;
    }
    // A graph command without a graph build would end each file at once, as if it had worked.
    if (const auto *graph = dynamic_cast<const engine::TGraphCmd *>(command); graph && !graph->OnBuildGraph) {
        fail(Quoted(ActionCaption(action)) + " is not available: its processing is not built in");
        return;
    }
    engine::TParams params;
    if (m.commands.passesParameters && m.commands.passesParameters(*command))
        params = action.parameters().list;
    m_lastCommandCaption = ActionCaption(action);
    try {
        if (!m.engine.ExecuteCommand(*command, params))
            warn(Quoted(ActionCaption(action)) + " has nothing to run on");
    } catch (const std::exception &e) {
        fail(Quoted(ActionCaption(action)) + " did not start: " + e.what());
    }
}

void SessionActions::openFiles(TCustomSuperAction &action)
{
    const std::string path = requiredParameter(action, "a file");
    if (path.empty())
        return;
    m.host.note(NoteKind::Status, "Opening avi files");
    m.list.OpenPaths({AbsolutePath(path)});
}

void SessionActions::openFolder(TCustomSuperAction &action)
{
    const std::string folder = requiredParameter(action, "a folder");
    if (folder.empty())
        return;
    m.list.OpenFolder(AbsolutePath(folder));
}

void SessionActions::openAll(TCustomSuperAction &)
{
    m.list.OpenAllDrives();
}

void SessionActions::openPreferredFolder(TCustomSuperAction &)
{
    m.list.OpenPreferredFolder();
}

void SessionActions::openPlaylist(TCustomSuperAction &action)
{
    const std::string playlist = requiredParameter(action, "a playlist");
    if (playlist.empty())
        return;
    // A folder given where a playlist goes (a folder dropped on the program's launcher) is
    // opened as a folder: no playlist can be one.
    std::error_code ec;
    if (fs::is_directory(playlist, ec)) {
        m.list.OpenFolder(AbsolutePath(playlist));
        return;
    }
    m.host.note(NoteKind::Status, "Opening the playlist " + fs::path(playlist).filename().string());
    m.list.OpenPlayList(AbsolutePath(playlist));
}

void SessionActions::openDefaultPlaylist(TCustomSuperAction &)
{
    m.host.note(NoteKind::Status, "Opening the default playlist");
    // Looked up again: a call before this one may have saved it.
    m.list.PreferredPlayList = prefs::preferredPlaylist(prefs::currentSettings());
    m.list.OpenPreferredPlayList();
}

void SessionActions::saveList(TCustomSuperAction &action)
{
    const std::string target = requiredParameter(action, "a file name");
    if (target.empty())
        return;
    const std::string path = AbsolutePath(target);
    if (mayReplace(path, "the list"))
        writePlaylist(path);
}

void SessionActions::saveDefaultPlaylist()
{
    if (!m.list.PreferredPlayList.empty())
        writePlaylist(m.list.PreferredPlayList);
}

void SessionActions::writePlaylist(const std::string &path)
{
    const prefs::Settings settings = prefs::currentSettings();
    core::PlaylistInfo info;
    info.programTitle = m.identity.title;
    info.webSite = m.identity.webSite;
    info.sortCaption = std::string(core::kSortIndexes[m.list.GetSortIndex()].MenuCaption);
    info.doneOn = core::FormatDateTimePattern(settings.formatAfficherDatecode, scenes::LocalNow()).value_or("");
    std::vector<std::string> paths;
    for (const auto &file : m.list.Files())
        paths.push_back(file->FullPath);
    const auto written = core::WritePlaylist(path, paths, info);
    if (!written)
        fail("the list was not saved: " + written.error().message);
}

void SessionActions::saveDetailedList(TCustomSuperAction &action)
{
    const std::string target = requiredParameter(action, "a file name");
    if (target.empty())
        return;
    const std::string path = AbsolutePath(target);
    if (!mayReplace(path, "the detailed list"))
        return;
    const auto files = m.list.Files();
    std::vector<const core::TaviFichier *> objects;
    for (const auto &file : files)
        objects.push_back(file.get());
    const auto written = core::WriteDetailedList(path, objects, prefs::currentSettings().formatAfficherDatecode);
    if (!written)
        fail("the detailed list was not saved: " + written.error().message);
}

void SessionActions::emptyList(TCustomSuperAction &)
{
    m.list.ClearList();
}

void SessionActions::removeFiles(TCustomSuperAction &)
{
    m.list.RemoveSelected();
}

void SessionActions::selectAll(TCustomSuperAction &)
{
    m.list.SelectAll(true);
}

void SessionActions::sortList(TCustomSuperAction &action)
{
    for (const SortAction &sort : kSortActions) {
        if (sort.action != action.Name())
            continue;
        const auto index = ui::FindSortIndex(sort.keyWord);
        if (!index)
            return;
        m.list.SetSortIndex(*index);
        // Kept for the rest of the session; the host decides whether settings are saved.
        prefs::Settings settings = prefs::currentSettings();
        settings.sortIndex = std::string(sort.keyWord);
        prefs::setCurrentSettings(std::move(settings));
        m.host.note(NoteKind::Status, std::string(core::kSortIndexes[*index].StatusText));
        return;
    }
}

void SessionActions::launchScript(TCustomSuperAction &action)
{
    const std::string script = requiredParameter(action, "a script file");
    if (script.empty())
        return;
    const std::string path = AbsolutePath(script);
    // The runner skips lines that name no action; the session says which, as for the command line.
    if (const auto lines = ui::ReadScriptLines(path)) {
        for (const ui::IgnoredWord &ignored : ui::ParseScriptLines(lines.value()).ignored)
            fail(script + ", line " + std::to_string(ignored.position) + ": " + Quoted(ignored.text)
                 + " names no action");
    }
    const auto report = m.scripts.RunScriptFile(path);
    if (!report) {
        const std::string why =
            report.error().code == ui::ScriptError::Missing ? "no such file" : report.error().message;
        fail("the script " + Quoted(script) + " was not run: " + why);
    }
}

void SessionActions::stopCalls()
{
    m.scripts.StopScript();
    if (m.continueCalls)
        m.continueCalls();
}

void SessionActions::abort(TCustomSuperAction &)
{
    stopCalls();
    m.engine.Abort();
    m.list.AbortOpen();
}

void SessionActions::abortAll(TCustomSuperAction &)
{
    stopCalls();
    m.list.AbortOpen();
    m.engine.AbortAll();
}

void SessionActions::quit(TCustomSuperAction &)
{
    // The calls after this one do not run; the run then ends as after its last call.
    m.outcome.quit = true;
    stopCalls();
    if (m.onQuit)
        m.onQuit();
}

void SessionActions::riffHeader(TCustomSuperAction &action)
{
    const engine::AviFilePtr active = m.list.ActiveFile();
    if (!active) {
        warn(Quoted(ActionCaption(action)) + " needs an active file");
        return;
    }
    core::RiffReportOptions options;
    options.now = scenes::LocalNow();
    options.programTitle = m.identity.title;
    options.webSite = m.identity.webSite;
    const core::RiffReport report = core::BuildReport(active->FullPath, options);
    if (report.end == core::RiffReportEnd::NoFile) {
        fail(active->FullPath + ": the file cannot be read");
        return;
    }
    std::string text;
    for (std::size_t i = 0; i < report.lines.size(); ++i)
        text += (i == 0 ? "" : "\n") + report.lines[i];
    m.host.report(ReportKind::RiffHeader, text);
}

void SessionActions::totalDuration(TCustomSuperAction &)
{
    std::int64_t selected = 0;
    std::int64_t all = 0;
    for (const auto &file : m.list.Files())
        all += file->Duration;
    for (const auto &file : m.list.SelectedFiles())
        selected += file->Duration;
    m.host.report(ReportKind::TotalDuration,
                  "Duration of selected videos  = " + core::FormatDurationMs(selected)
                      + "\n\nTotal duration of all videos listed = " + core::FormatDurationMs(all));
}

void SessionActions::bindSelectWhenOpened()
{
    auto *toggle = m.actions.toggle("taSelectionnerOuverts");
    if (toggle == nullptr)
        return;
    const auto set = [this](TCustomSuperAction &action, bool select) {
        m.list.SelectionnerOuverts = select;
        prefs::Settings settings = prefs::currentSettings();
        settings.selectWhenOpening = select;
        prefs::setCurrentSettings(std::move(settings));
        action.SetChecked(select);
    };
    // State False offers to switch the feature on; state True to switch it off.
    toggle->OnfalseExecute = [set](TCustomSuperAction &action, ui::ActionSender) {
        set(action, true);
    };
    toggle->OnTrueExecute = [set](TCustomSuperAction &action, ui::ActionSender) {
        set(action, false);
    };
    toggle->SetChecked(m.list.SelectionnerOuverts);
}

} // namespace camlog::session
