// The command module: the catalogue of commands with their properties, conditions, destinations
// and messages, and the binding of each to its handlers.
#include "commands/dm_action.h"

#include "commands/codec_commands.h"
#include "commands/file_commands.h"
#include "commands/file_date.h"
#include "commands/office_exports.h"
#include "commands/rename_handlers.h"
#include "commands/scene_list_commands.h"
#include "core/avi_fichier.h"
#include "prefs/current_settings.h"
#include "prefs/output_file_name.h"
#include "scenes/companion_file.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace camlog::commands {

using core::TaviFichier;
using engine::TCommandEngine;
using engine::TParams;

namespace {
std::string timeDifferenceProblem(const TParams &params)
{
    return TimeDifferenceProblem(params.empty() ? std::string_view() : std::string_view(params.front()));
}

std::string lowerCase(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// Conditions read the file object only; a command given no file applies to nothing.
engine::TFileConditionEvent appliesWhen(bool (*test)(const TaviFichier &))
{
    return [test](TaviFichier *fichier, bool &visible, bool &enabled) {
        visible = enabled = fichier != nullptr && test(*fichier);
    };
}

bool dvAndType2(const TaviFichier &f)
{
    return f.IsDV && f.FileType == 2;
}
bool dvAndType1(const TaviFichier &f)
{
    return f.IsDV && f.FileType == 1;
}
bool notDV(const TaviFichier &f)
{
    return !f.IsDV;
}
bool type2Iavs(const TaviFichier &f)
{
    return f.FileType == 2 && f.IsDV && f.Type2Iavs;
}
bool type2OrDvsd(const TaviFichier &f)
{
    return f.FileType == 2 || f.Codec == "dvsd";
}
bool palToConvert(const TaviFichier &f)
{
    return f.IsDV && f.System == 0 && type2OrDvsd(f);
}
bool ntscToConvert(const TaviFichier &f)
{
    return f.IsDV && f.System == 1 && type2OrDvsd(f);
}
bool dvNot16x9(const TaviFichier &f)
{
    return f.IsDV && !f.Is16x9;
}
bool dv16x9(const TaviFichier &f)
{
    return f.IsDV && f.Is16x9;
}
bool dvToInlay(const TaviFichier &f)
{
    return f.IsDV && type2OrDvsd(f);
}
bool isDV(const TaviFichier &f)
{
    return f.IsDV;
}
bool hasAudio(const TaviFichier &f)
{
    return f.HasAudio;
}
bool dvWithScn(const TaviFichier &f)
{
    return f.IsDV && f.HasScn;
}
bool hasPicture(const TaviFichier &f)
{
    return f.HasPicture;
}
bool hasScn(const TaviFichier &f)
{
    return f.HasScn;
}
bool hasSrt(const TaviFichier &f)
{
    return f.HasSrt;
}
bool hasDatecode(const TaviFichier &f)
{
    return HasDatecode(f);
}
bool hasTimecode(const TaviFichier &f)
{
    return HasTimecode(f);
}
bool notReadOnly(const TaviFichier &f)
{
    return !f.ReadOnly;
}
bool shortenable(const TaviFichier &f)
{
    return CanShortenName(f.FullPath);
}

// The standard verifications: every file is asked until Yes to All or No to All.
bool standardFileVerification(TaviFichier *, const TParams &, TCommandEngine &, int)
{
    return false;
}
bool standardDestFileVerification(const std::string &, TaviFichier *, const TParams &, TCommandEngine &, int)
{
    return false;
}

// The shell calls swallow their failures: a desktop that cannot open something ends nothing.
template <typename Call> void shellCall(Call call)
{
    try {
        call();
    } catch (...) {
    }
}

// A request that must reach a desktop handler (a browser, a mail program, a file manager, a
// player): when none takes it, the file's error says so and the run counts it as failed.
template <typename Call> void desktopCall(TCommandEngine &ce, const std::string &refusal, Call call)
{
    bool taken = false;
    try {
        taken = call();
    } catch (...) {
    }
    if (!taken)
        ce.ErrorCommand(refusal, engine::etError);
}
} // namespace

TdmAction::TdmAction(TdmActionContext context) : m_context(std::move(context))
{
    declareGraphCommands();
    declareDestinationCommands();
    declareInPlaceCommands();
    declareRenameCommands();
    declareSimpleCommands();
    buildIndex();
}

TdmAction::~TdmAction() = default;

prefs::Settings TdmAction::Settings() const
{
    return m_context.settings ? m_context.settings() : prefs::currentSettings();
}

std::string TdmAction::HomePageAddress() const
{
    std::string address = m_context.homePagePattern;
    if (const std::size_t at = address.find("%s"); at != std::string::npos)
        address.replace(at, 2, m_context.programName);
    return lowerCase(address);
}

void TdmAction::declareGraphCommands()
{
    struct GraphEntry {
        engine::TGraphCmd *cmd;
        const char *name;
        engine::TUpdateDisplay display;
        engine::TUpdateFile update;
        bool (*condition)(const TaviFichier &);
        const char *ending; // the output-file ending; null for the special destinations
        const char *start;
        const char *error;
    };
    const GraphEntry entries[] = {
        {&ConvertirDV1, "ConvertirDV1", engine::udFinal, engine::ufAdd, dvAndType2, "_type1.avi",
         "Converting %s in type 1", "An error occurred while converting %s in type 1"},
        {&ConvertirDV2, "ConvertirDV2", engine::udFinal, engine::ufAdd, dvAndType1, "_type2.avi",
         "Converting %s in type 2", "An error occurred while converting %s in type 2"},
        {&RecompresserDV2, "RecompresserDV2", engine::udFinal, engine::ufAdd, notDV, "_dvtype2.avi",
         "Compressing %s in DV type 2", "An error occurred while compressing %s in DV type 2"},
        {&CorrigerType2, "CorrigerType2", engine::udFinal, engine::ufAdd, type2Iavs, "_fixed.avi",
         "Fixing %s as video of type 2", "An error occurred while fixing %s as video of type 2"},
        {&ConvertirNTSC, "ConvertirNTSC", engine::udFinal, engine::ufAdd, palToConvert, "_ntsc.avi",
         "Converting %s in NTSC", "An error occurred while converting %s in NTSC"},
        {&ConvertirPal, "ConvertirPal", engine::udFinal, engine::ufAdd, ntscToConvert, "_pal.avi",
         "Converting %s in Pal", "An error occurred while converting %s in Pal"},
        {&Convertir16x9, "Convertir16x9", engine::udFinal, engine::ufAdd, dvNot16x9, "_16x9.avi",
         "Converting %s to 16x9", "An error occurred while converting %s to 16x9"},
        {&Convertir4x3, "Convertir4x3", engine::udFinal, engine::ufAdd, dv16x9, "_4x3.avi", "Converting %s to 4x3",
         "Error while converting %s to 4x3"},
        {&Incruster, "Incruster", engine::udFinal, engine::ufAdd, dvToInlay, "_in.avi", "Inlaying in %s",
         "An error occurred while inlaying in %s"},
        {&DecalerHoraire, "DecalerHoraire", engine::udFinal, engine::ufAdd, isDV, nullptr,
         "Setting a time difference in %s", "An error occurred while setting a time difference in %s"},
        {&ExtraireAudio, "ExtraireAudio", engine::udNone, engine::ufNone, hasAudio, ".wav", "Extracting audio from %s",
         "An error occurred while extracting audio from %s"},
        {&CutScenes, "CutScenes", engine::udNone, engine::ufAdd, dvWithScn, nullptr, "Extracting from %s the scene %d ",
         "An error occurred while extracting scenes from %s"},
        {&CreerScnByDate, "CreerScnByDate", engine::udFinal, engine::ufReload, isDV, nullptr,
         "Creating a scn file for %s by datecode", "Error while creating a scn file for %s "},
        {&CreerScnByContenu, "CreerScnByContenu", engine::udEach, engine::ufReload, hasPicture, nullptr,
         "Creating a scn file by content for %s", "An error occurred while creating a scn file by content for %s"},
        {&CreerSrt, "CreerSrt", engine::udEach, engine::ufReload, isDV, nullptr, "Creating a srt file for %s",
         "An error occurred while creating a srt file for %s"},
        {&ShareCopy, "ShareCopy", engine::udNone, engine::ufNone, isDV, ".mp4", "Making a share copy of %s",
         "An error occurred while making a share copy of %s"},
        // The scn file that a file without one gets by datecode shows in its entry afterwards.
        {&ShareScenes, "ShareScenes", engine::udEach, engine::ufReload, isDV, nullptr,
         "Making a share copy of %s, scene %d", "An error occurred while making share copies of the scenes of %s"},
    };
    for (const GraphEntry &entry : entries) {
        engine::TGraphCmd &cmd = *entry.cmd;
        cmd.Name = entry.name;
        cmd.Nombre = engine::fnSelect;
        cmd.UpdateDisplay = entry.display;
        cmd.UpdateFile = entry.update;
        cmd.OnFileCondition = appliesWhen(entry.condition);
        cmd.StartMessage = entry.start;
        cmd.ErrorMessage = entry.error;
        m_commands.push_back(&cmd);
        if (entry.ending != nullptr) {
            cmd.OnDestination = [this, ending = std::string(entry.ending)](TaviFichier *f, const TParams &, int) {
                return f != nullptr ? prefs::OutputFileName(f->FullPath, ending, Settings()) : std::string();
            };
        }
    }

    DecalerHoraire.OnParamsCheck = timeDifferenceProblem;
    DecalerHoraire.OnDestination = [this](TaviFichier *f, const TParams &params, int) {
        if (f == nullptr || params.empty())
            return std::string();
        const std::optional<double> difference = ParseTimeDifference(params.front());
        return difference ? prefs::OutputFileName(f->FullPath, TimeDifferenceEnding(*difference), Settings())
                          : std::string();
    };
    CutScenes.OnDestination = [this](TaviFichier *f, const TParams &, int passe) {
        return f != nullptr ? prefs::OutputFileName(f->FullPath, "_scene_" + std::to_string(passe) + ".avi", Settings())
                            : std::string();
    };
    ShareScenes.OnDestination = [this](TaviFichier *f, const TParams &, int passe) {
        return f != nullptr ? prefs::OutputFileName(f->FullPath, "_scene_" + std::to_string(passe) + ".mp4", Settings())
                            : std::string();
    };
    // The scene and subtitle files always lie beside their video.
    const auto beside = [](std::string extension) {
        return [extension](TaviFichier *f, const TParams &, int) {
            return f != nullptr ? scenes::ChangeFileExtension(f->FullPath, extension) : std::string();
        };
    };
    CreerScnByDate.OnDestination = beside(".scn");
    CreerScnByContenu.OnDestination = beside(".scn");
    CreerSrt.OnDestination = beside(".srt");
}

void TdmAction::declareOfficeExports()
{
    const std::pair<engine::Tcmd *, OfficeDocumentType> exports[] = {
        {&ExporterScenesExcel, OfficeDocumentType::Excel},
        {&ExporterScenesWord, OfficeDocumentType::Word},
        {&ExporterScenesCalc, OfficeDocumentType::Calc},
        {&ExporterScenesWriter, OfficeDocumentType::Writer},
    };
    for (const auto &[cmd, type] : exports) {
        cmd->OnDestination = [this, ending = std::string(OfficeDocumentEnding(type))](TaviFichier *f, const TParams &,
                                                                                      int) {
            return f != nullptr ? prefs::OutputFileName(f->FullPath, ending, Settings()) : std::string();
        };
        cmd->OnExecution = [this, type](TaviFichier *f, const std::string &destination, const TParams &,
                                        TCommandEngine &ce, int) {
            if (f == nullptr || destination.empty())
                return;
            scenes::office::OfficeExportInfo info;
            info.programName = m_context.programName;
            info.version = m_context.programVersion;
            info.language = m_context.languageCode;
            info.webSite = m_context.webSite;
            if (!ExporterScenesOfficeExecution(*f, destination, Settings(), info, type, ce))
                return;
            if (m_context.showDocument)
                m_context.showDocument(destination, ce);
            else
                shellCall([&] { m_context.shell.OpenDocument(destination); });
        };
    }
}

void TdmAction::declareDestinationCommands()
{
    struct ExportEntry {
        engine::Tcmd *cmd;
        const char *name;
        const char *start;
        const char *error;
    };
    const ExportEntry exports[] = {
        {&ExporterScenesTexte, "ExporterScenesTexte", "Exporting the scenes of %s to a text file",
         "Error while exporting the scenes of %s to a text file"},
        {&ExporterScenesExcel, "ExporterScenesExcel", "Exporting the scenes of %s to Excel",
         "Error while exporting the scenes of %s to Excel"},
        {&ExporterScenesWord, "ExporterScenesWord", "Exporting the scenes of %s to Word",
         "Error while exporting the scenes of %s to Word"},
        {&ExporterScenesCalc, "ExporterScenesCalc", "Exporting the scenes of %s to OOo.Calc",
         "Error while exporting the scenes of %s to OOo.Calc"},
        {&ExporterScenesWriter, "ExporterScenesWriter", "Exporting the scenes of %s to OOo.Writer",
         "Error while exporting the scenes of %s to OOo.Writer"},
    };
    for (const ExportEntry &entry : exports) {
        engine::Tcmd &cmd = *entry.cmd;
        cmd.Name = entry.name;
        cmd.Nombre = engine::fnSelect;
        cmd.UpdateDisplay = engine::udNone;
        cmd.UpdateFile = engine::ufNone;
        cmd.OnFileCondition = appliesWhen(hasScn);
        cmd.StartMessage = entry.start;
        cmd.ErrorMessage = entry.error;
        m_commands.push_back(&cmd);
    }
    ExporterScenesTexte.OnDestination = [this](TaviFichier *f, const TParams &, int) {
        return f != nullptr ? prefs::OutputFileName(f->FullPath, "_scn.txt", Settings()) : std::string();
    };
    ExporterScenesTexte.OnExecution = [this](TaviFichier *f, const std::string &destination, const TParams &,
                                             TCommandEngine &ce, int) {
        if (f == nullptr || destination.empty())
            return;
        scenes::ScnTextExportInfo info;
        info.programName = m_context.programName;
        info.version = m_context.programVersion;
        info.language = m_context.languageCode;
        info.webSite = m_context.webSite;
        ExporterScenesTexteExecution(*f, destination, Settings(), info, ce);
    };

    declareOfficeExports();

    CreerScnByIntervalle.Name = "CreerScnByIntervalle";
    CreerScnByIntervalle.Nombre = engine::fnSelect;
    CreerScnByIntervalle.UpdateDisplay = engine::udEach;
    CreerScnByIntervalle.UpdateFile = engine::ufReload;
    CreerScnByIntervalle.StartMessage = "Creating a scn file for %s with fixed durations";
    CreerScnByIntervalle.ErrorMessage = "Error while creating a scn file for %s ";
    CreerScnByIntervalle.OnDestination = [](TaviFichier *f, const TParams &, int) {
        return f != nullptr ? scenes::ScnFileName(f->FullPath) : std::string();
    };
    // Without a parameter the duration is the setting "intervalle", as the dialog offers it.
    const auto interval = [this](const TParams &params) {
        const bool none = params.empty() || params.front().find_first_not_of(" \t") == std::string::npos;
        return none ? TParams{std::to_string(Settings().intervalle)} : params;
    };
    CreerScnByIntervalle.OnParamsCheck = [interval](const TParams &params) {
        return IntervalParameterProblem(interval(params));
    };
    CreerScnByIntervalle.OnExecution = [interval](TaviFichier *f, const std::string &, const TParams &params,
                                                  TCommandEngine &ce, int) {
        if (f != nullptr)
            CreerScnByIntervalleExecution(*f, interval(params), ce);
    };
    m_commands.push_back(&CreerScnByIntervalle);

    DecalageHoraire.Name = "DecalageHoraire";
    DecalageHoraire.Nombre = engine::fnSelect;
    DecalageHoraire.UpdateDisplay = engine::udFinal;
    DecalageHoraire.UpdateFile = engine::ufNone;
    DecalageHoraire.OnParamsCheck = timeDifferenceProblem;
    DecalageHoraire.OnExecution = [this](TaviFichier *f, const std::string &, const TParams &params, TCommandEngine &,
                                         int) {
        const std::optional<double> difference = params.empty() ? std::nullopt : ParseTimeDifference(params.front());
        if (!difference)
            return;
        m_runShift.Set(*difference);
        // The object takes it at once too, for a host that does not carry the difference.
        m_runShift.EndFichier(f);
    };
    m_commands.push_back(&DecalageHoraire);
}

void TdmAction::declareInPlaceCommands()
{
    SupprimerScn.Name = "SupprimerScn";
    SupprimerScn.StartMessage = "Deleting the scn file of %s";
    SupprimerScn.ErrorMessage = "An error occurred while deleting the scn file of %s";
    SupprimerScn.OnFileCondition = appliesWhen(hasScn);
    SupprimerScn.OnFileConFirmation = [](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        return DeleteFileQuestion(f != nullptr ? scenes::ScnFileName(f->FileName) : std::string());
    };
    SupprimerScn.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        if (f != nullptr)
            DeleteCompanionExecution(*f, ".scn", m_context.shell);
    };

    SupprimerSrt.Name = "SupprimerSrt";
    SupprimerSrt.StartMessage = "Deleting the srt file of %s";
    SupprimerSrt.ErrorMessage = "An error occurred while deleting the srt file of %s";
    SupprimerSrt.OnFileCondition = appliesWhen(hasSrt);
    SupprimerSrt.OnFileConFirmation = [](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        return DeleteFileQuestion(f != nullptr ? scenes::SrtFileName(f->FileName) : std::string());
    };
    SupprimerSrt.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        if (f != nullptr)
            DeleteCompanionExecution(*f, ".srt", m_context.shell);
    };
    for (engine::TFastcmd *cmd : {&SupprimerScn, &SupprimerSrt}) {
        cmd->UpdateDisplay = engine::udEach;
        cmd->UpdateFile = engine::ufReload;
    }

    DateFichier.Name = "DateFichier";
    DateFichier.OnFileCondition = appliesWhen(hasDatecode);
    DateFichier.OnFileConFirmation = [](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        return f != nullptr ? DateFichierFileConFirmation(*f) : std::string();
    };
    DateFichier.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &ce, int) {
        if (f != nullptr)
            DateFichierExecution(*f, ce, m_context.closePreview);
    };

    ModifierCodec.Name = "ModifierCodec";
    ModifierCodec.OnParamsCheck = CodecParameterProblem;
    ModifierCodec.OnFileConFirmation = [](TaviFichier *f, const TParams &params, TCommandEngine &, int) {
        return f != nullptr ? ModifierCodecFileConFirmation(*f, params) : std::string();
    };
    ModifierCodec.OnExecution = [this](TaviFichier *f, const TParams &params, TCommandEngine &ce, int) {
        if (f != nullptr)
            ModifierCodecExecution(*f, params, ce, m_context.closePreview);
    };

    FrequenceVideo.Name = "FrequenceVideo";
    FrequenceVideo.OnParamsCheck = FrameRateParameterProblem;
    FrequenceVideo.OnFileCondition = appliesWhen(FrequenceVideoFileCondition);
    FrequenceVideo.OnFileConFirmation = [](TaviFichier *f, const TParams &params, TCommandEngine &, int) {
        return f != nullptr ? FrequenceVideoFileConFirmation(*f, params) : std::string();
    };
    FrequenceVideo.OnExecution = [this](TaviFichier *f, const TParams &params, TCommandEngine &ce, int) {
        if (f != nullptr)
            FrequenceVideoExecution(*f, params, ce, m_context.closePreview);
    };

    for (engine::TFastcmd *cmd : {&SupprimerScn, &SupprimerSrt, &DateFichier, &ModifierCodec, &FrequenceVideo}) {
        cmd->Nombre = engine::fnSelect;
        cmd->OnFileVerification = standardFileVerification;
        m_commands.push_back(cmd);
    }
    for (engine::TFastcmd *cmd : {&DateFichier, &ModifierCodec, &FrequenceVideo}) {
        cmd->UpdateDisplay = engine::udFinal;
        cmd->UpdateFile = engine::ufReload;
    }
}

void TdmAction::declareRenameCommands()
{
    PurgerNom.Name = "PurgerNom";
    PurgerNom.OnFileCondition = [](TaviFichier *f, bool &visible, bool &enabled) {
        visible = true;
        enabled = f != nullptr && shortenable(*f);
    };
    PurgerNom.OnDestination = [](TaviFichier *f, const TParams &, int) {
        return f != nullptr ? PurgerNomDestination(f->FullPath) : std::string();
    };

    AjouterDatecode.Name = "AjouterDatecode";
    AjouterDatecode.OnFileCondition = appliesWhen(hasDatecode);
    AjouterDatecode.OnDestination = [this](TaviFichier *f, const TParams &, int) {
        return f != nullptr ? AjouterDatecodeDestination(*f, Settings()) : std::string();
    };

    AjouterTimecode.Name = "AjouterTimecode";
    AjouterTimecode.OnFileCondition = appliesWhen(hasTimecode);
    AjouterTimecode.OnDestination = [this](TaviFichier *f, const TParams &, int) {
        return f != nullptr ? AjouterTimecodeDestination(*f, Settings()) : std::string();
    };

    Renommer.Name = "Renommer";
    Renommer.OnFileCondition = appliesWhen(hasDatecode);
    Renommer.OnDestination = [this](TaviFichier *f, const TParams &, int) {
        return f != nullptr ? RenommerDestination(*f, Settings()) : std::string();
    };

    for (engine::TRenameCmd *cmd : {&PurgerNom, &AjouterDatecode, &AjouterTimecode, &Renommer}) {
        cmd->Nombre = engine::fnSelect;
        cmd->OnFileVerification = standardDestFileVerification;
        cmd->Tcmd::OnExecution = [](TaviFichier *f, const std::string &destination, const TParams &, TCommandEngine &ce,
                                    int) {
            if (f != nullptr)
                RenommerExecution(*f, destination, ce);
        };
        m_commands.push_back(cmd);
    }
}

void TdmAction::declareSimpleCommands()
{
    DossierParent.Name = "DossierParent";
    DossierParent.Nombre = engine::fnSingle;
    DossierParent.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &ce, int) {
        if (f != nullptr)
            desktopCall(ce, "No file manager could show " + f->FullPath,
                        [&] { return m_context.shell.ShowInFolder(f->FullPath); });
    };

    SupprimerFichier.Name = "SupprimerFichier";
    SupprimerFichier.Nombre = engine::fnSelect;
    SupprimerFichier.UpdateDisplay = engine::udFinal;
    SupprimerFichier.OnFileCondition = [](TaviFichier *f, bool &visible, bool &enabled) {
        visible = true;
        enabled = f != nullptr && notReadOnly(*f);
    };
    SupprimerFichier.OnFileVerification = standardFileVerification;
    SupprimerFichier.OnFileConFirmation = [](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        return DeleteFileQuestion(f != nullptr ? f->FileName : std::string());
    };
    SupprimerFichier.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &ce, int) {
        if (f != nullptr)
            SupprimerFichierExecution(*f, m_context.shell, ce);
    };

    OpenFichierF3.Name = "OpenFichierF3";
    OpenFichierF3.Nombre = engine::fnSelect;
    OpenFichierF3.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        if (f != nullptr)
            shellCall([&] { OpenWithProgram(Settings().fichierF3, *f, m_context.shell); });
    };
    OpenFichierF4.Name = "OpenFichierF4";
    OpenFichierF4.Nombre = engine::fnSelect;
    OpenFichierF4.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        if (f != nullptr)
            shellCall([&] { OpenWithProgram(Settings().fichierF4, *f, m_context.shell); });
    };

    Snapdeck.Name = "Snapdeck";
    Snapdeck.Nombre = engine::fnSelect;
    Snapdeck.OnFileCondition = [this](TaviFichier *, bool &visible, bool &enabled) {
        visible = enabled = SnapdeckFileCondition(Settings());
    };
    Snapdeck.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &, int) {
        if (f != nullptr)
            shellCall([&] { SnapdeckExecution(*f, Settings(), m_context.shell); });
    };

    DefaultPlayer.Name = "DefaultPlayer";
    DefaultPlayer.Nombre = engine::fnSingle;
    DefaultPlayer.OnExecution = [this](TaviFichier *f, const TParams &, TCommandEngine &ce, int) {
        if (f != nullptr)
            desktopCall(ce, "No media player could open " + f->FullPath,
                        [&] { return m_context.shell.OpenDocument(f->FullPath); });
    };

    VisitHomePage.Name = "VisitHomePage";
    VisitHomePage.OnExecution = [this](TaviFichier *, const TParams &, TCommandEngine &ce, int) {
        const std::string address = HomePageAddress();
        desktopCall(ce, "No web browser could open " + address, [&] { return m_context.shell.OpenDocument(address); });
    };

    SendMail.Name = "SendMail";
    SendMail.OnExecution = [this](TaviFichier *, const TParams &, TCommandEngine &ce, int) {
        const std::string fullName = m_context.programName + " " + m_context.programVersion + m_context.languageCode;
        desktopCall(ce, "No mail program could write to " + m_context.mailAddress, [&] {
            return m_context.shell.SendMailTo(m_context.mailAddress, "About  " + fullName, "Hello Ovrand,%0D%0A");
        });
    };

    VisitBlog.Name = "VisitBlog";
    VisitBlog.OnCommandCondition = [this](TCommandEngine &) {
        return m_context.languageCode == "En";
    };
    VisitBlog.OnExecution = [this](TaviFichier *, const TParams &, TCommandEngine &ce, int) {
        desktopCall(ce, "No web browser could open " + m_context.blogAddress,
                    [&] { return m_context.shell.OpenDocument(m_context.blogAddress); });
    };

    for (engine::tCustomCmd *cmd : {&DossierParent, &SupprimerFichier, &OpenFichierF3, &OpenFichierF4, &Snapdeck,
                                    &DefaultPlayer, &VisitHomePage, &SendMail, &VisitBlog})
        m_commands.push_back(cmd);
}

void TdmAction::buildIndex()
{
    for (engine::tCustomCmd *cmd : m_commands)
        m_index.emplace(lowerCase(cmd->Name), cmd);
}

engine::tCustomCmd *TdmAction::CommandForAction(std::string_view actionName) const
{
    if (actionName.size() < 2 || lowerCase(actionName.substr(0, 2)) != "cc")
        return nullptr;
    const auto found = m_index.find(lowerCase(actionName.substr(2)));
    return found != m_index.end() ? found->second : nullptr;
}

bool TdmAction::PassesActionParameters(const engine::tCustomCmd &command) const
{
    return &command == &DecalerHoraire || &command == &DecalageHoraire || &command == &ModifierCodec
           || &command == &FrequenceVideo || &command == &CreerScnByIntervalle;
}

} // namespace camlog::commands
