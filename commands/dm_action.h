// The command module: every command of the program with its properties, conditions,
// destinations, messages and handlers, and the index that binds the "cc" actions to them.
#pragma once

#include "commands/shell/shell_services.h"
#include "commands/time_difference.h"
#include "core/program_version.h"
#include "engine/command.h"
#include "engine/graph_command.h"
#include "prefs/settings.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace camlog::commands {

// What the command module needs from the program around it.
struct TdmActionContext {
    // The shell calls of the file commands (file manager, default programs, mail, Trash).
    ShellServices &shell;
    // The settings a handler reads; the process-wide settings when empty. Called whenever a
    // handler needs them, so a change between runs is seen by the next run.
    std::function<prefs::Settings()> settings;
    // The program's language code ("En", "Fr", ...): the blog is offered in English only.
    std::string languageCode = std::string(core::kLanguageCode);
    std::string programName = std::string(core::kProgramName);
    std::string programVersion = std::string(core::kProgramVersion);
    // The home page is this pattern with "%s" replaced by the program's name, lower-cased.
    std::string homePagePattern = "https://www.%s.org/";
    std::string blogAddress = "https://www.camlog.org/blog/";
    std::string mailAddress = "contact@camlog.org";
    // The maker's site, printed at the end of every scene export.
    std::string webSite = "https://www.camlog.org/";
    // What becomes of an office document once written: the window opens it with the desktop's
    // default application (what happens when this is empty); the batch mode names it.
    std::function<void(const std::string &path, engine::TCommandEngine &ce)> showDocument = {};
    // Closes the preview when it shows the file at this path, so no media graph holds it open
    // while a command changes it in place (file date, codec, frame rate).
    std::function<void(const std::string &path)> closePreview;
};

// Owns the commands; each public member is the command of that name. The graph commands get
// their properties here; their graph builds (OnBuildGraph, Filtergraph) are bound by the
// processing module.
class TdmAction {
public:
    explicit TdmAction(TdmActionContext context);
    TdmAction(const TdmAction &) = delete;
    TdmAction &operator=(const TdmAction &) = delete;
    ~TdmAction();

    // Graph commands.
    engine::TGraphCmd ConvertirDV1;
    engine::TGraphCmd ConvertirDV2;
    engine::TGraphCmd RecompresserDV2;
    engine::TGraphCmd CorrigerType2;
    engine::TGraphCmd ConvertirNTSC;
    engine::TGraphCmd ConvertirPal;
    engine::TGraphCmd Convertir16x9;
    engine::TGraphCmd Convertir4x3;
    engine::TGraphCmd Incruster;
    engine::TGraphCmd DecalerHoraire;
    engine::TGraphCmd ExtraireAudio;
    engine::TGraphCmd CutScenes;
    engine::TGraphCmd CreerScnByDate;
    engine::TGraphCmd CreerScnByContenu;
    engine::TGraphCmd CreerSrt;
    engine::TGraphCmd ShareCopy;
    engine::TGraphCmd ShareScenes;

    // Commands with a destination.
    engine::Tcmd ExporterScenesTexte;
    engine::Tcmd ExporterScenesExcel;
    engine::Tcmd ExporterScenesWord;
    engine::Tcmd ExporterScenesCalc;
    engine::Tcmd ExporterScenesWriter;
    engine::Tcmd CreerScnByIntervalle;
    engine::Tcmd DecalageHoraire;

    // In-place commands.
    engine::TFastcmd SupprimerScn;
    engine::TFastcmd SupprimerSrt;
    engine::TFastcmd DateFichier;
    engine::TFastcmd ModifierCodec;
    engine::TFastcmd FrequenceVideo;

    // Rename commands.
    engine::TRenameCmd PurgerNom;
    engine::TRenameCmd AjouterDatecode;
    engine::TRenameCmd AjouterTimecode;
    engine::TRenameCmd Renommer;

    // Simple commands.
    engine::tCustomCmd DossierParent;
    engine::tCustomCmd SupprimerFichier;
    engine::tCustomCmd OpenFichierF3;
    engine::tCustomCmd OpenFichierF4;
    engine::tCustomCmd Snapdeck;
    engine::tCustomCmd DefaultPlayer;
    engine::tCustomCmd VisitHomePage;
    engine::tCustomCmd SendMail;
    engine::tCustomCmd VisitBlog;

    // The command an action starts: its name without the "cc" prefix, case ignored; null when
    // the name does not begin with "cc" or no command bears the rest.
    engine::tCustomCmd *CommandForAction(std::string_view actionName) const;
    // Whether the action passes its parameter list to the run (time difference, codec, frame
    // rate, interval); every other action passes none.
    bool PassesActionParameters(const engine::tCustomCmd &command) const;
    // Every command, in catalogue order.
    const std::vector<engine::tCustomCmd *> &Commands() const { return m_commands; }

    // The time difference a run carries from file to file. The host calls StartFichier and
    // EndFichier of it from its OnStartFichier and OnEndFichier events, so that a reloaded file
    // object keeps its difference and "Add a time difference" reaches every selected file.
    TRunTimeDifference &RunTimeDifference() { return m_runShift; }

    // The addresses formed from the context.
    std::string HomePageAddress() const;
    const TdmActionContext &Context() const { return m_context; }
    prefs::Settings Settings() const;

private:
    void declareGraphCommands();
    void declareDestinationCommands();
    void declareOfficeExports();
    void declareInPlaceCommands();
    void declareRenameCommands();
    void declareSimpleCommands();
    void buildIndex();

    TdmActionContext m_context;
    TRunTimeDifference m_runShift;
    std::vector<engine::tCustomCmd *> m_commands;
    std::map<std::string, engine::tCustomCmd *, std::less<>> m_index; // lower-cased names
};

} // namespace camlog::commands
