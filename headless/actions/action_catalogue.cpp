// The action catalogue table and its look-ups.
#include "headless/actions/action_catalogue.h"

#include "headless/actions/action_text.h"

#include <algorithm>

namespace camlog::ui {

namespace {

using K = ActionKind;
using P = Preparation;

// Key bindings that the window's layout would bind twice are kept by the first action of this
// table and dropped from the later one, so that every key runs exactly one action:
// - Ctrl+Q stays with "Quit" (secondary key); "Shorten the name" has no key.
// - Ctrl+Shift+2 stays with "Convert in type 2" (secondary key); "Fix the DV type 2" has no key.
// - Ctrl+J stays with "Total duration of videos"; "Save the detailed list" (last row) has none.
// Ctrl+$ and Ctrl+Shift+$ are the key right of P on a French keyboard (virtual key BA hex).
// "Save the detailed list" was a bare menu item; as an action it can be scripted too.
constexpr ActionDef kCatalogue[] = {
    // name, kind, category, caption (state False), caption (state True), token, switch, key, {secondary key}, preparation, hint
    {"saQuitter", K::Plain, "permanent", "Quit", "", "quit", "qt", "Alt+F4", {"Ctrl+Q"}, P::None, "Quit %s"},
    {"saCollerFichiers", K::Plain, "open", "Paste files", "", "paste", "v", "Ctrl+V", {}, P::None},
    {"saOuvrirFichiers", K::Plain, "open", "Open...", "", "openfiles", "o", "Ctrl+O", {}, P::AsksUser},
    {"saInterrompre", K::Plain, "permanent", "Abort", "", "", "", "Esc", {}, P::None},
    {"saOrdreAlpha", K::Plain, "tri", "Alphabetical order", "", "sortalpha", "sa", "Alt+A", {}, P::None},
    {"saOuvrirDossierPrefere", K::Plain, "open", "Open the preferred folder", "", "openpreferred", "f7", "F7", {}, P::None},
    {"ccDossierParent", K::Command, "mono", "Parent folder", "", "parent", "f", "Ctrl+F", {}, P::None},
    {"ccConvertirDV1", K::Command, "multi", "Convert in type 1", "", "converttype1", "1", "Ctrl+Num 1", {"Ctrl+Shift+1"}, P::None},
    {"ccSupprimerFichier", K::Command, "multi", "Delete the files", "", "delete", "del", "Shift+Del", {}, P::None},
    {"saSelectionnerTout", K::Plain, "list", "Select all", "", "selectall", "a", "Ctrl+A", {}, P::None},
    {"saOuvrirTout", K::Plain, "open", "Open all", "", "openall", "oa", "Ctrl+F7", {}, P::None},
    {"saOuvrirunDossier", K::Plain, "open", "Open a folder...", "", "openfolder", "l", "Ctrl+L", {}, P::AsksUser},
    {"saInterrompreTous", K::Plain, "permanent", "Abort all", "", "", "", "Shift+Esc", {}, P::None},
    {"saSauverListe", K::Plain, "list", "Save the list as...", "", "savelist", "s", "Ctrl+S", {}, P::AsksUser},
    {"saOuvrirPlayList", K::Plain, "open", "Open a playlist...", "", "playlist", "u", "Ctrl+U", {}, P::AsksUser},
    {"saOuvrirDefaultPlayList", K::Plain, "open", "Open the default playlist", "", "defaultplaylist", "dp", "Shift+F7", {}, P::None},
    {"saTriTaille", K::Plain, "tri", "Sort by size", "", "sortbysize", "ss", "Alt+S", {}, P::None},
    {"saTrierModify", K::Plain, "tri", "Sort by filedate", "", "sortbyfiledate", "sf", "Alt+F", {}, P::None},
    {"ccOpenFichierF3", K::Command, "multi", "Open with...", "", "openf3", "f3", "F3", {}, P::None},
    {"ccOpenFichierF4", K::Command, "multi", "Open with...", "", "openf4", "f4", "F4", {}, P::None},
    {"saOuvrirScript", K::Plain, "open", "Launch a script", "", "openscript", "os", "Ctrl+Shift+L", {}, P::AsksUser},
    {"saTriDatecode", K::Plain, "tri", "Sort by datecode", "", "sortbydate", "sd", "Alt+D", {}, P::None},
    {"ccVisitHomepage", K::Command, "permanent", "Visit the homepage of %s", "", "homepage", "hp", "Alt+H", {}, P::None},
    {"ccSendMail", K::Command, "permanent", "Send an e-mail", "", "sendmail", "sm", "Alt+M", {}, P::None},
    {"ccVisitBlog", K::Command, "permanent", "Visit the blog", "", "blog", "bg", "Alt+B", {}, P::None},
    {"saViderListe", K::Plain, "list", "Empty the list", "", "emptylist", "el", "Ctrl+Del", {}, P::None},
    {"taBasculerListe", K::Toggle, "mono", "Show the list", "Hide the list", "showlist", "f6", "F6", {}, P::SyncsState},
    {"taApropos", K::Toggle, "permanent", "About...", "Close the \"About\" panel", "about", "f1", "F1", {}, P::None},
    {"taOptions", K::Toggle, "permanent", "Settings", "Close the settings panel", "options", "f10", "F10", {}, P::None},
    {"taFullscreen", K::Toggle, "mono", "Fullscreen", "Quit the fullscreen", "fullscreen", "fs", "Alt+Enter", {"Ctrl+F11"}, P::None},
    {"taSelectionnerOuverts", K::Toggle, "open", "Select the files when opened", "Do not select the files when opened", "selectwhenopen", "so", "", {}, P::SyncsState},
    {"saOterFichier", K::Plain, "multi", "Remove the files", "", "remove", "rem", "Del", {}, P::None},
    {"taRaccourcis", K::Toggle, "permanent", "Display the shortcuts", "Hide the shortcuts", "shortcuts", "f11", "F11", {}, P::SyncsState},
    {"saPlayStop", K::Toggle, "mono", "Play", "Pause", "play", "py", "Space", {"Ctrl+Space"}, P::SyncsState},
    {"saIncVolume", K::Plain, "mono", "Increase the volume", "", "incvolume", "iv", "Num +", {}, P::None},
    {"saDecVolume", K::Plain, "mono", "Decrease the volume", "", "decvolume", "dv", "Num -", {}, P::None},
    {"saNextFrame", K::Plain, "Naviguer", "Move forward one frame", "", "nextframe", "nf", "Ctrl+Right", {}, P::None},
    {"saNextSecond", K::Plain, "Naviguer", "Move forward one second", "", "nextsecond", "ns", "Ctrl+Down", {}, P::None},
    {"saNextMinute", K::Plain, "Naviguer", "Move forward one minute", "", "nextminute", "nm", "Ctrl+PgDn", {}, P::None},
    {"saAvanceEnd", K::Plain, "Naviguer", "Move to the end", "", "end", "ne", "Ctrl+End", {}, P::None},
    {"saNextScene", K::Plain, "Naviguer", "Move forward to next scene", "", "nextscene", "f9", "F9", {}, P::None},
    {"saPreviousFrame", K::Plain, "Naviguer", "Move back one frame", "", "previousframe", "pf", "Ctrl+Left", {}, P::None},
    {"saPreviousSecond", K::Plain, "Naviguer", "Move back one second", "", "previoussecond", "ps", "Ctrl+Up", {}, P::None},
    {"saPreviousMinute", K::Plain, "Naviguer", "Move back one minute", "", "previousminute", "pm", "Ctrl+PgUp", {}, P::None},
    {"saHome", K::Plain, "Naviguer", "Move back to start", "", "home", "ph", "Ctrl+Home", {}, P::None},
    {"saPreviousScene", K::Plain, "Naviguer", "Move back to previous scene", "", "previousscene", "f8", "F8", {}, P::None},
    {"saTriTimecode", K::Plain, "tri", "Sort by timecode", "", "sorttimecode", "st", "Alt+T", {}, P::None},
    {"saTriDuree", K::Plain, "tri", "Sorted by duration", "", "sortduration", "su", "Alt+U", {}, P::None},
    {"taMute", K::Toggle, "mono", "Turn sound off", "Turn sound on", "mute", "m", "Ctrl+M", {}, P::None},
    {"taAfficherIncrustation", K::Toggle, "mono", "Display the inlay", "Hide inlay", "displayinlay", "di", "Alt+I", {}, P::None},
    {"taEditerIncrust", K::Toggle, "mono", "Edit the inlay", "Stop editing the Inlay", "editinlay", "ei", "Alt+J", {}, P::SyncsState},
    {"ccDecalageHoraire", K::Command, "multi", "Add a time difference", "", "timedifference", "td", "", {}, P::AsksUser},
    {"taEditerScenes", K::Toggle, "mono", "Edit the scenes", "Quit the Scenes Editor", "editscenes", "es", "Alt+E", {}, P::None},
    {"saEnregistrerScn", K::Plain, "Scenes", "Save the scn file", "", "savescn", "scn", "", {}, P::None},
    {"saSupprimerScene", K::Plain, "Scenes", "Delete a scene", "", "deletescene", "ds", "", {}, P::None},
    {"saInsererScene", K::Plain, "Scenes", "Insert a scene", "", "insertscene", "is", "", {}, P::None},
    {"taListeGauche", K::Toggle, "mono", "List at right", "List at Left", "mirror", "ww", "Alt+W", {}, P::None},
    {"taVideoSeule", K::Toggle, "mono", "Display the video only", "Complete Display", "videoonly", "vo", "Ctrl+Enter", {}, P::None},
    {"ccCreerScnByDate", K::Command, "multi", "Create a scn file by datecode", "", "createscnbydate", "cd", "", {}, P::None},
    {"ccCutScenes", K::Command, "multi", "Split in scenes", "", "cutscenes", "c", "Ctrl+C", {}, P::None},
    {"ccConvertirDV2", K::Command, "multi", "Convert in type 2", "", "converttype2", "2", "Ctrl+Num 2", {"Ctrl+Shift+2"}, P::None},
    {"ccRecompresserDV2", K::Command, "multi", "Recompress into DV type 2", "", "recompressdv2", "g", "Ctrl+G", {}, P::None},
    {"ccCorrigerType2", K::Command, "multi", "Fix the DV type 2", "", "fixtype2", "ft", "", {}, P::None},
    {"ccConvertirNTSC", K::Command, "multi", "Convert in NTSC", "", "convertntsc", "n", "Ctrl+N", {}, P::None},
    {"ccConvertirPal", K::Command, "multi", "Convert in Pal", "", "convertpal", "p", "Ctrl+P", {}, P::None},
    {"ccIncruster", K::Command, "multi", "Inlay in the video", "", "inlay", "i", "Ctrl+I", {}, P::None},
    {"ccDecalerHoraire", K::Command, "multi", "Fix a time difference", "", "settimedifference", "e", "Ctrl+E", {}, P::AsksUser},
    {"ccExtraireAudio", K::Command, "multi", "Extract audio", "", "extractaudio", "w", "Ctrl+W", {}, P::None},
    {"ccCreerScnByContenu", K::Command, "multi", "Create a scn file with content", "", "createscnbycontent", "$", "Ctrl+$", {}, P::None},
    {"ccSupprimerScn", K::Command, "multi", "Delete the scn file", "", "deletescn", "z", "Ctrl+Z", {}, P::None},
    {"ccCreerSrt", K::Command, "multi", "Create a srt file with subtitles", "", "createsrt", "sr", "Ctrl+Shift+S", {}, P::None},
    {"ccSupprimerSrt", K::Command, "multi", "Delete the srt file", "", "deletesrt", "dt", "Ctrl+Shift+Z", {}, P::None},
    {"ccExporterScenesTexte", K::Command, "multi", "Export the scenes as text", "", "exportscntext", "x", "Ctrl+X", {}, P::None},
    {"ccExporterScenesExcel", K::Command, "multi", "Export the scenes to Excel", "", "exportexcel", "xe", "Ctrl+Shift+X", {}, P::None},
    {"ccSnapdeck", K::Command, "multi", "Open with Snapdeck", "", "snapdeck", "f2", "F2", {}, P::None},
    {"ccDefaultPlayer", K::Command, "mono", "Play with the default media player", "", "defaultplayer", "f5", "F5", {}, P::None},
    {"saRiffHeader", K::Plain, "mono", "Read the RIFF header", "", "riffheader", "h", "Ctrl+H", {}, P::None},
    {"ccFrequenceVideo", K::Command, "multi", "Fix the video framerate", "", "frequency", "y", "Ctrl+Y", {}, P::AsksUser},
    {"ccModifierCodec", K::Command, "multi", "Change the codec", "", "codec", "k", "Ctrl+K", {}, P::AsksUser},
    {"ccAjouterDatecode", K::Command, "Renommer", "Add datecode", "", "adddatecode", "d", "Ctrl+D", {}, P::None},
    {"ccAjouterTimecode", K::Command, "Renommer", "Add timecode", "", "addtimecode", "t", "Ctrl+T", {}, P::None},
    {"ccRenommer", K::Command, "Renommer", "Rename", "", "rename", "r", "Ctrl+R", {}, P::None},
    {"ccDateFichier", K::Command, "multi", "Modify the date of file", "", "changefiledate", "b", "Ctrl+B", {}, P::None},
    {"ccPurgerNom", K::Command, "Renommer", "Shorten the name", "", "shorten", "sh", "", {}, P::None},
    {"ccExporterScenesCalc", K::Command, "multi", "Export the scenes to OOo.Calc", "", "exportooocalc", "ec", "", {}, P::None},
    {"ccExporterScenesWriter", K::Command, "multi", "Export the scenes to OOo.Writer", "", "exportooowriter", "ew", "", {}, P::None},
    {"ccExporterScenesWord", K::Command, "multi", "Export the scenes to Word", "", "exportword", "xw", "", {}, P::None},
    {"ccConvertir16x9", K::Command, "multi", "Convert to 16x9", "", "convert16x9", "16x9", "", {}, P::None},
    {"ccConvertir4x3", K::Command, "multi", "Convert to 4x3", "", "convert4x3", "4x3", "", {}, P::None},
    {"saCopierImagedansPP", K::Plain, "mono", "Copy the current image to the clipboard", "", "copyimage", "f12", "F12", {}, P::None},
    {"ccCreerScnByIntervalle", K::Command, "multi", "Create a scn file with fixed durations", "", "createscnbyinterval", "ci", "Ctrl+Shift+$", {}, P::AsksUser},
    {"saBarreListe", K::Plain, "permanent", "List", "", "listbar", "lb", "", {}, P::None},
    {"saBarreVideo", K::Plain, "permanent", "Video", "", "videobar", "vb", "", {}, P::None},
    {"saBarreScenes", K::Plain, "permanent", "Scenes", "", "scenesbar", "sb", "", {}, P::None},
    {"sabarreOuvrir", K::Plain, "permanent", "Open", "", "openbar", "ob", "", {}, P::None},
    {"saBarreInterface", K::Plain, "permanent", "Interface", "", "interfacebar", "ib", "", {}, P::None},
    {"saVueReduite", K::Plain, "mono", "Reduced size", "", "reduce", "rd", "Ctrl+F6", {}, P::None},
    {"taEditerTitres", K::Toggle, "Scenes", "Edit the title", "Finish editing titles", "", "", "", {}, P::None},
    {"taDeinterlace", K::Toggle, "mono", "Deinterlace", "Stop deinterlacing", "deinterlace", "di", "Ctrl+F12", {}, P::None},
    {"saDureeTotale", K::Plain, "list", "Total duration of videos", "", "", "", "Ctrl+J", {}, P::None},
    {"saListeDetaillee", K::Plain, "list", "Save the detailed list", "", "detailedlist", "dl", "", {}, P::AsksUser},
    {"ccShareCopy", K::Command, "multi", "Export a share copy", "", "sharecopy", "mp4", "", {}, P::None},
    {"ccShareScenes", K::Command, "multi", "Export a share copy of each scene", "", "sharescenes", "mp4s", "", {}, P::None},
};

} // namespace

std::string_view ActionDef::commandName() const
{
    return startsCommand() ? name.substr(2) : std::string_view{};
}

std::span<const std::string_view> ActionDef::secondaryShortcuts() const
{
    const auto used = std::find(secondary.begin(), secondary.end(), std::string_view{});
    return {secondary.begin(), used};
}

std::span<const ActionDef> ActionCatalogue()
{
    return kCatalogue;
}

const ActionDef *FindActionByName(std::string_view name)
{
    for (const ActionDef &def : kCatalogue) {
        if (def.name == name)
            return &def;
    }
    return nullptr;
}

const ActionDef *FindAction(std::string_view word)
{
    if (word.empty())
        return nullptr;
    const std::string lowered = AsciiLower(word);
    for (const ActionDef &def : kCatalogue) {
        if (def.switchName == lowered || def.token == lowered)
            return &def;
    }
    return nullptr;
}

std::string FormatWithProgramName(std::string_view text)
{
    std::string result(text);
    if (const auto at = result.find("%s"); at != std::string::npos)
        result.replace(at, 2, kProgramName);
    return result;
}

} // namespace camlog::ui
