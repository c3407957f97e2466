// The batch mode's action handlers.
#include "app/batch/headless_actions.h"

#include "core/format.h"
#include "engine/graph_command.h"
#include "core/list_files.h"
#include "core/riff_report.h"
#include "prefs/current_settings.h"
#include "scenes/write_scn_text.h"
#include "ui/actions/script_file.h"
#include "ui/actions/script_reader.h"

#include <exception>
#include <filesystem>
#include <utility>

namespace camlog::app {

namespace fs = std::filesystem;
using ui::TCustomSuperAction;

namespace {

struct SortAction {
    std::string_view action;
    std::string_view keyWord;
};
constexpr SortAction kSortActions[] = {
    {"saOrdreAlpha", "alpha"},      {"saTriTaille", "taille"},     {"saTrierModify", "modify"},
    {"saTriDatecode", "datecode"},  {"saTriTimecode", "timecode"}, {"saTriDuree", "duree"},
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

HeadlessActions::HeadlessActions(Parts parts) : m(std::move(parts)) {}

void HeadlessActions::fail(const std::string &text)
{
    m.console.line(text);
    m.outcome.failed = true;
}

std::string HeadlessActions::requiredParameter(TCustomSuperAction &action, std::string_view what)
{
    std::string parameter = FirstParameter(action);
    if (parameter.empty())
        fail("camlog: " + Quoted(ActionCaption(action)) + " needs " + std::string(what) +
             " in batch mode, for instance " + action.Token() + "=PATH");
    return parameter;
}

void HeadlessActions::bindPlain(std::string_view name, Handler handler)
{
    if (auto *action = m.actions.plain(name))
        action->Onexecute = [this, handler](TCustomSuperAction &a, ui::ActionSender) { (this->*handler)(a); };
}

void HeadlessActions::bindUnavailable(TCustomSuperAction &action)
{
    const auto handler = [this](TCustomSuperAction &a, ui::ActionSender) { unavailable(a); };
    if (auto *toggle = dynamic_cast<ui::TtoggleAction *>(&action)) {
        toggle->OnTrueExecute = handler;
        toggle->OnfalseExecute = handler;
        toggle->SetChecked(toggle->Checked());
    } else if (auto *plain = dynamic_cast<ui::TSuperAction *>(&action)) {
        plain->Onexecute = handler;
    }
}

void HeadlessActions::bind()
{
    // Everything starts as a window-only action; the list below gives the others their work.
    for (const auto &action : m.actions.actions()) {
        if (action->definition().startsCommand()) {
            bindPlain(action->Name(), &HeadlessActions::startCommand);
        } else {
            bindUnavailable(*action);
        }
    }
    bindPlain("saQuitter", &HeadlessActions::quit);
    bindPlain("saInterrompre", &HeadlessActions::abort);
    bindPlain("saInterrompreTous", &HeadlessActions::abortAll);
    bindPlain("saOuvrirFichiers", &HeadlessActions::openFiles);
    bindPlain("saOuvrirunDossier", &HeadlessActions::openFolder);
    bindPlain("saOuvrirDossierPrefere", &HeadlessActions::openPreferredFolder);
    bindPlain("saOuvrirPlayList", &HeadlessActions::openPlaylist);
    bindPlain("saOuvrirDefaultPlayList", &HeadlessActions::openDefaultPlaylist);
    bindPlain("saSauverListe", &HeadlessActions::saveList);
    bindPlain("saListeDetaillee", &HeadlessActions::saveDetailedList);
    bindPlain("saViderListe", &HeadlessActions::emptyList);
    bindPlain("saOterFichier", &HeadlessActions::removeFiles);
    bindPlain("saSelectionnerTout", &HeadlessActions::selectAll);
    bindPlain("saOuvrirScript", &HeadlessActions::launchScript);
    bindPlain("saRiffHeader", &HeadlessActions::riffHeader);
    bindPlain("saDureeTotale", &HeadlessActions::totalDuration);
    for (const SortAction &sort : kSortActions)
        bindPlain(sort.action, &HeadlessActions::sortList);
    bindSelectWhenOpened();
}

void HeadlessActions::unavailable(TCustomSuperAction &action)
{
    m.console.line("camlog: " + Quoted(ActionCaption(action)) + " is not available in batch mode");
}

void HeadlessActions::startCommand(TCustomSuperAction &action)
{
    engine::tCustomCmd *command = m.commands.commandFor ? m.commands.commandFor(action.Name()) : nullptr;
    if (command == nullptr) {
        unavailable(action);
        return;
    }
    // A graph command without a graph build would end each file at once, as if it had worked.
    if (const auto *graph = dynamic_cast<const engine::TGraphCmd *>(command); graph && !graph->OnBuildGraph) {
        fail("camlog: " + Quoted(ActionCaption(action)) + " is not available: its processing is not built in");
        return;
    }
    engine::TParams params;
    if (m.commands.passesParameters && m.commands.passesParameters(*command))
        params = action.parameters().list;
    try {
        if (!m.engine.ExecuteCommand(*command, params))
            m.console.line("camlog: " + Quoted(ActionCaption(action)) + " has nothing to run on");
    } catch (const std::exception &e) {
        fail("camlog: " + Quoted(ActionCaption(action)) + " did not start: " + e.what());
    }
}

void HeadlessActions::openFiles(TCustomSuperAction &action)
{
    const std::string path = requiredParameter(action, "a file");
    if (path.empty())
        return;
    m.console.line("Opening avi files");
    m.list.OpenPaths({AbsolutePath(path)});
}

void HeadlessActions::openFolder(TCustomSuperAction &action)
{
    const std::string folder = requiredParameter(action, "a folder");
    if (folder.empty())
        return;
    m.list.OpenFolder(AbsolutePath(folder));
}

void HeadlessActions::openPreferredFolder(TCustomSuperAction &)
{
    m.list.OpenPreferredFolder();
}

void HeadlessActions::openPlaylist(TCustomSuperAction &action)
{
    const std::string playlist = requiredParameter(action, "a playlist");
    if (playlist.empty())
        return;
    m.console.line("Opening the playlist " + fs::path(playlist).filename().string());
    m.list.OpenPlayList(AbsolutePath(playlist));
}

void HeadlessActions::openDefaultPlaylist(TCustomSuperAction &)
{
    m.console.line("Opening the default playlist");
    m.list.OpenPreferredPlayList();
}

void HeadlessActions::saveList(TCustomSuperAction &action)
{
    const std::string target = requiredParameter(action, "a file name");
    if (target.empty())
        return;
    const prefs::Settings settings = prefs::currentSettings();
    core::PlaylistInfo info;
    info.programTitle = m.identity.title;
    info.webSite = m.identity.webSite;
    info.sortCaption = std::string(core::kSortIndexes[m.list.GetSortIndex()].MenuCaption);
    info.doneOn = core::FormatDateTimePattern(settings.formatAfficherDatecode, scenes::LocalNow()).value_or("");
    std::vector<std::string> paths;
    for (const auto &file : m.list.Files())
        paths.push_back(file->FullPath);
    const auto written = core::WritePlaylist(AbsolutePath(target), paths, info);
    if (!written)
        fail("camlog: the list was not saved: " + written.error().message);
}

void HeadlessActions::saveDetailedList(TCustomSuperAction &action)
{
    const std::string target = requiredParameter(action, "a file name");
    if (target.empty())
        return;
    const auto files = m.list.Files();
    std::vector<const core::TaviFichier *> objects;
    for (const auto &file : files)
        objects.push_back(file.get());
    const auto written =
        core::WriteDetailedList(AbsolutePath(target), objects, prefs::currentSettings().formatAfficherDatecode);
    if (!written)
        fail("camlog: the detailed list was not saved: " + written.error().message);
}

void HeadlessActions::emptyList(TCustomSuperAction &)
{
    m.list.ClearList();
}

void HeadlessActions::removeFiles(TCustomSuperAction &)
{
    m.list.RemoveSelected();
}

void HeadlessActions::selectAll(TCustomSuperAction &)
{
    m.list.SelectAll(true);
}

void HeadlessActions::sortList(TCustomSuperAction &action)
{
    for (const SortAction &sort : kSortActions) {
        if (sort.action != action.Name())
            continue;
        const auto index = ui::FindSortIndex(sort.keyWord);
        if (!index)
            return;
        m.list.SetSortIndex(*index);
        // Kept for the rest of the run as the GUI keeps it; the batch mode saves no settings.
        prefs::Settings settings = prefs::currentSettings();
        settings.sortIndex = std::string(sort.keyWord);
        prefs::setCurrentSettings(std::move(settings));
        m.console.line(std::string(core::kSortIndexes[*index].StatusText));
        return;
    }
}

void HeadlessActions::launchScript(TCustomSuperAction &action)
{
    const std::string script = requiredParameter(action, "a script file");
    if (script.empty())
        return;
    const std::string path = AbsolutePath(script);
    // The runner skips lines that name no action; a batch run says which, as for its arguments.
    if (const auto lines = ui::ReadScriptLines(path)) {
        for (const ui::IgnoredWord &ignored : ui::ParseScriptLines(lines.value()).ignored)
            fail("camlog: " + script + ", line " + std::to_string(ignored.position) + ": " + Quoted(ignored.text) +
                 " names no action");
    }
    const auto report = m.scripts.RunScriptFile(path);
    if (!report) {
        const std::string why = report.error().code == ui::ScriptError::Missing
                                    ? "no such file"
                                    : report.error().message;
        fail("camlog: the script " + Quoted(script) + " was not run: " + why);
    }
}

void HeadlessActions::abort(TCustomSuperAction &)
{
    m.scripts.StopScript();
    m.engine.Abort();
    m.list.AbortOpen();
}

void HeadlessActions::abortAll(TCustomSuperAction &)
{
    m.scripts.StopScript();
    m.list.AbortOpen();
    m.engine.AbortAll();
}

void HeadlessActions::quit(TCustomSuperAction &)
{
    // The calls after this one do not run; the run then ends as after its last call.
    m.outcome.quit = true;
    m.scripts.StopScript();
}

void HeadlessActions::riffHeader(TCustomSuperAction &action)
{
    const engine::FichierPtr active = m.list.ActiveFile();
    if (!active) {
        m.console.line("camlog: " + Quoted(ActionCaption(action)) + " needs an active file");
        return;
    }
    core::RiffReportOptions options;
    options.now = scenes::LocalNow();
    options.programTitle = m.identity.title;
    options.webSite = m.identity.webSite;
    const core::RiffReport report = core::BuildReport(active->FullPath, options);
    if (report.end == core::RiffReportEnd::NoFile) {
        fail("camlog: " + active->FullPath + ": the file cannot be read");
        return;
    }
    for (const std::string &line : report.lines)
        std::fprintf(m.out, "%s\n", line.c_str());
    std::fflush(m.out);
}

void HeadlessActions::totalDuration(TCustomSuperAction &)
{
    std::int64_t selected = 0;
    std::int64_t all = 0;
    for (const auto &file : m.list.Files())
        all += file->Duration;
    for (const auto &file : m.list.SelectedFiles())
        selected += file->Duration;
    std::fprintf(m.out, "Duration of selected videos  = %s\n\nTotal duration of all videos listed = %s\n",
                 core::FormatDurationMs(selected).c_str(), core::FormatDurationMs(all).c_str());
    std::fflush(m.out);
}

void HeadlessActions::bindSelectWhenOpened()
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
    toggle->OnfalseExecute = [set](TCustomSuperAction &action, ui::ActionSender) { set(action, true); };
    toggle->OnTrueExecute = [set](TCustomSuperAction &action, ui::ActionSender) { set(action, false); };
    toggle->SetChecked(m.list.SelectionnerOuverts);
}

} // namespace camlog::app
