// The action catalogue pinned against the window's action table, row by row.
#include "headless/actions/action_catalogue.h"
#include "headless/actions/action_help.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace camlog::ui {
namespace {

constexpr auto P = ActionKind::Plain;
constexpr auto T = ActionKind::Toggle;
constexpr auto C = ActionKind::Command;

struct Row {
    const char *name;
    ActionKind kind;
    const char *category;
    const char *caption;
    const char *trueCaption;
    const char *token;
    const char *switchName;
    const char *keys; // primary first, then the secondary ones, ", " between
};

// The table as the window's layout states it, keys included as written there (two of them are
// dropped by kDroppedKeys below), in the order of the action list.
const Row kTable[] = {
    {"saQuitter", P, "permanent", "Quit", "", "quit", "qt", "Alt+F4, Ctrl+Q"},
    {"saCollerFichiers", P, "open", "Paste files", "", "paste", "v", "Ctrl+V"},
    {"saOuvrirFichiers", P, "open", "Open...", "", "openfiles", "o", "Ctrl+O"},
    {"saInterrompre", P, "permanent", "Abort", "", "", "", "Esc"},
    {"saOrdreAlpha", P, "tri", "Alphabetical order", "", "sortalpha", "sa", "Alt+A"},
    {"saOuvrirDossierPrefere", P, "open", "Open the preferred folder", "", "openpreferred", "f7", "F7"},
    {"ccDossierParent", C, "mono", "Parent folder", "", "parent", "f", "Ctrl+F"},
    {"ccConvertirDV1", C, "multi", "Convert in type 1", "", "converttype1", "1", "Ctrl+Num 1, Ctrl+Shift+1"},
    {"ccSupprimerFichier", C, "multi", "Delete the files", "", "delete", "del", "Shift+Del"},
    {"saSelectionnerTout", P, "list", "Select all", "", "selectall", "a", "Ctrl+A"},
    {"saOuvrirTout", P, "open", "Open all", "", "openall", "oa", "Ctrl+F7"},
    {"saOuvrirunDossier", P, "open", "Open a folder...", "", "openfolder", "l", "Ctrl+L"},
    {"saInterrompreTous", P, "permanent", "Abort all", "", "", "", "Shift+Esc"},
    {"saSauverListe", P, "list", "Save the list as...", "", "savelist", "s", "Ctrl+S"},
    {"saOuvrirPlayList", P, "open", "Open a playlist...", "", "playlist", "u", "Ctrl+U"},
    {"saOuvrirDefaultPlayList", P, "open", "Open the default playlist", "", "defaultplaylist", "dp", "Shift+F7"},
    {"saTriTaille", P, "tri", "Sort by size", "", "sortbysize", "ss", "Alt+S"},
    {"saTrierModify", P, "tri", "Sort by filedate", "", "sortbyfiledate", "sf", "Alt+F"},
    {"ccOpenFichierF3", C, "multi", "Open with...", "", "openf3", "f3", "F3"},
    {"ccOpenFichierF4", C, "multi", "Open with...", "", "openf4", "f4", "F4"},
    {"saOuvrirScript", P, "open", "Launch a script", "", "openscript", "os", "Ctrl+Shift+L"},
    {"saTriDatecode", P, "tri", "Sort by datecode", "", "sortbydate", "sd", "Alt+D"},
    {"ccVisitHomepage", C, "permanent", "Visit the homepage of %s", "", "homepage", "hp", "Alt+H"},
    {"ccSendMail", C, "permanent", "Send an e-mail", "", "sendmail", "sm", "Alt+M"},
    {"ccVisitBlog", C, "permanent", "Visit the blog", "", "blog", "bg", "Alt+B"},
    {"saViderListe", P, "list", "Empty the list", "", "emptylist", "el", "Ctrl+Del"},
    {"taBasculerListe", T, "mono", "Show the list", "Hide the list", "showlist", "f6", "F6"},
    {"taApropos", T, "permanent", "About...", "Close the \"About\" panel", "about", "f1", "F1"},
    {"taOptions", T, "permanent", "Settings", "Close the settings panel", "options", "f10", "F10"},
    {"taFullscreen", T, "mono", "Fullscreen", "Quit the fullscreen", "fullscreen", "fs", "Alt+Enter, Ctrl+F11"},
    {"taSelectionnerOuverts", T, "open", "Select the files when opened", "Do not select the files when opened",
     "selectwhenopen", "so", ""},
    {"saOterFichier", P, "multi", "Remove the files", "", "remove", "rem", "Del"},
    {"taRaccourcis", T, "permanent", "Display the shortcuts", "Hide the shortcuts", "shortcuts", "f11", "F11"},
    {"saPlayStop", T, "mono", "Play", "Pause", "play", "py", "Space, Ctrl+Space"},
    {"saIncVolume", P, "mono", "Increase the volume", "", "incvolume", "iv", "Num +"},
    {"saDecVolume", P, "mono", "Decrease the volume", "", "decvolume", "dv", "Num -"},
    {"saNextFrame", P, "Naviguer", "Move forward one frame", "", "nextframe", "nf", "Ctrl+Right"},
    {"saNextSecond", P, "Naviguer", "Move forward one second", "", "nextsecond", "ns", "Ctrl+Down"},
    {"saNextMinute", P, "Naviguer", "Move forward one minute", "", "nextminute", "nm", "Ctrl+PgDn"},
    {"saAvanceEnd", P, "Naviguer", "Move to the end", "", "end", "ne", "Ctrl+End"},
    {"saNextScene", P, "Naviguer", "Move forward to next scene", "", "nextscene", "f9", "F9"},
    {"saPreviousFrame", P, "Naviguer", "Move back one frame", "", "previousframe", "pf", "Ctrl+Left"},
    {"saPreviousSecond", P, "Naviguer", "Move back one second", "", "previoussecond", "ps", "Ctrl+Up"},
    {"saPreviousMinute", P, "Naviguer", "Move back one minute", "", "previousminute", "pm", "Ctrl+PgUp"},
    {"saHome", P, "Naviguer", "Move back to start", "", "home", "ph", "Ctrl+Home"},
    {"saPreviousScene", P, "Naviguer", "Move back to previous scene", "", "previousscene", "f8", "F8"},
    {"saTriTimecode", P, "tri", "Sort by timecode", "", "sorttimecode", "st", "Alt+T"},
    {"saTriDuree", P, "tri", "Sorted by duration", "", "sortduration", "su", "Alt+U"},
    {"taMute", T, "mono", "Turn sound off", "Turn sound on", "mute", "m", "Ctrl+M"},
    {"taAfficherIncrustation", T, "mono", "Display the inlay", "Hide inlay", "displayinlay", "di", "Alt+I"},
    {"taEditerIncrust", T, "mono", "Edit the inlay", "Stop editing the Inlay", "editinlay", "ei", "Alt+J"},
    {"ccDecalageHoraire", C, "multi", "Add a time difference", "", "timedifference", "td", ""},
    {"taEditerScenes", T, "mono", "Edit the scenes", "Quit the Scenes Editor", "editscenes", "es", "Alt+E"},
    {"saEnregistrerScn", P, "Scenes", "Save the scn file", "", "savescn", "scn", ""},
    {"saSupprimerScene", P, "Scenes", "Delete a scene", "", "deletescene", "ds", ""},
    {"saInsererScene", P, "Scenes", "Insert a scene", "", "insertscene", "is", ""},
    {"taListeGauche", T, "mono", "List at right", "List at Left", "mirror", "ww", "Alt+W"},
    {"taVideoSeule", T, "mono", "Display the video only", "Complete Display", "videoonly", "vo", "Ctrl+Enter"},
    {"ccCreerScnByDate", C, "multi", "Create a scn file by datecode", "", "createscnbydate", "cd", ""},
    {"ccCutScenes", C, "multi", "Split in scenes", "", "cutscenes", "c", "Ctrl+C"},
    {"ccConvertirDV2", C, "multi", "Convert in type 2", "", "converttype2", "2", "Ctrl+Num 2, Ctrl+Shift+2"},
    {"ccRecompresserDV2", C, "multi", "Recompress into DV type 2", "", "recompressdv2", "g", "Ctrl+G"},
    {"ccCorrigerType2", C, "multi", "Fix the DV type 2", "", "fixtype2", "ft", "Ctrl+Shift+2"},
    {"ccConvertirNTSC", C, "multi", "Convert in NTSC", "", "convertntsc", "n", "Ctrl+N"},
    {"ccConvertirPal", C, "multi", "Convert in Pal", "", "convertpal", "p", "Ctrl+P"},
    {"ccIncruster", C, "multi", "Inlay in the video", "", "inlay", "i", "Ctrl+I"},
    {"ccDecalerHoraire", C, "multi", "Fix a time difference", "", "settimedifference", "e", "Ctrl+E"},
    {"ccExtraireAudio", C, "multi", "Extract audio", "", "extractaudio", "w", "Ctrl+W"},
    {"ccCreerScnByContenu", C, "multi", "Create a scn file with content", "", "createscnbycontent", "$", "Ctrl+$"},
    {"ccSupprimerScn", C, "multi", "Delete the scn file", "", "deletescn", "z", "Ctrl+Z"},
    {"ccCreerSrt", C, "multi", "Create a srt file with subtitles", "", "createsrt", "sr", "Ctrl+Shift+S"},
    {"ccSupprimerSrt", C, "multi", "Delete the srt file", "", "deletesrt", "dt", "Ctrl+Shift+Z"},
    {"ccExporterScenesTexte", C, "multi", "Export the scenes as text", "", "exportscntext", "x", "Ctrl+X"},
    {"ccExporterScenesExcel", C, "multi", "Export the scenes to Excel", "", "exportexcel", "xe", "Ctrl+Shift+X"},
    {"ccSnapdeck", C, "multi", "Open with Snapdeck", "", "snapdeck", "f2", "F2"},
    {"ccDefaultPlayer", C, "mono", "Play with the default media player", "", "defaultplayer", "f5", "F5"},
    {"saRiffHeader", P, "mono", "Read the RIFF header", "", "riffheader", "h", "Ctrl+H"},
    {"ccFrequenceVideo", C, "multi", "Fix the video framerate", "", "frequency", "y", "Ctrl+Y"},
    {"ccModifierCodec", C, "multi", "Change the codec", "", "codec", "k", "Ctrl+K"},
    {"ccAjouterDatecode", C, "Renommer", "Add datecode", "", "adddatecode", "d", "Ctrl+D"},
    {"ccAjouterTimecode", C, "Renommer", "Add timecode", "", "addtimecode", "t", "Ctrl+T"},
    {"ccRenommer", C, "Renommer", "Rename", "", "rename", "r", "Ctrl+R"},
    {"ccDateFichier", C, "multi", "Modify the date of file", "", "changefiledate", "b", "Ctrl+B"},
    {"ccPurgerNom", C, "Renommer", "Shorten the name", "", "shorten", "sh", "Ctrl+Q"},
    {"ccExporterScenesCalc", C, "multi", "Export the scenes to OOo.Calc", "", "exportooocalc", "ec", ""},
    {"ccExporterScenesWriter", C, "multi", "Export the scenes to OOo.Writer", "", "exportooowriter", "ew", ""},
    {"ccExporterScenesWord", C, "multi", "Export the scenes to Word", "", "exportword", "xw", ""},
    {"ccConvertir16x9", C, "multi", "Convert to 16x9", "", "convert16x9", "16x9", ""},
    {"ccConvertir4x3", C, "multi", "Convert to 4x3", "", "convert4x3", "4x3", ""},
    {"saCopierImagedansPP", P, "mono", "Copy the current image to the clipboard", "", "copyimage", "f12", "F12"},
    {"ccCreerScnByIntervalle", C, "multi", "Create a scn file with fixed durations", "", "createscnbyinterval", "ci",
     "Ctrl+Shift+$"},
    {"saBarreListe", P, "permanent", "List", "", "listbar", "lb", ""},
    {"saBarreVideo", P, "permanent", "Video", "", "videobar", "vb", ""},
    {"saBarreScenes", P, "permanent", "Scenes", "", "scenesbar", "sb", ""},
    {"sabarreOuvrir", P, "permanent", "Open", "", "openbar", "ob", ""},
    {"saBarreInterface", P, "permanent", "Interface", "", "interfacebar", "ib", ""},
    {"saVueReduite", P, "mono", "Reduced size", "", "reduce", "rd", "Ctrl+F6"},
    {"taEditerTitres", T, "Scenes", "Edit the title", "Finish editing titles", "", "", ""},
    {"taDeinterlace", T, "mono", "Deinterlace", "Stop deinterlacing", "deinterlace", "di", "Ctrl+F12"},
    {"saDureeTotale", P, "list", "Total duration of videos", "", "", "", "Ctrl+J"},
    // Added so that the list-menu item can be scripted; it comes after every other action.
    {"saListeDetaillee", P, "list", "Save the detailed list", "", "detailedlist", "dl", "Ctrl+J"},
    {"ccShareCopy", C, "multi", "Export a share copy", "", "sharecopy", "mp4", ""},
    {"ccShareScenes", C, "multi", "Export a share copy of each scene", "", "sharescenes", "mp4s", ""},
};

// Keys bound twice: the later action in table order loses them.
const std::map<std::string, std::string> kDroppedKeys = {
    {"ccPurgerNom", "Ctrl+Q"},           // "Quit" has it as a secondary key
    {"ccCorrigerType2", "Ctrl+Shift+2"}, // "Convert in type 2" has it as a secondary key
    {"saListeDetaillee", "Ctrl+J"},      // "Total duration of videos" has it
};

std::string JoinedKeys(const ActionDef &def)
{
    std::string keys(def.shortcut);
    for (std::string_view key : def.secondaryShortcuts())
        keys += (keys.empty() ? "" : ", ") + std::string(key);
    return keys;
}

TEST(ActionCatalogue, MatchesTheTableRowByRow)
{
    const auto catalogue = ActionCatalogue();
    ASSERT_EQ(catalogue.size(), std::size(kTable));
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const ActionDef &def = catalogue[i];
        const Row &row = kTable[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(def.name, row.name);
        EXPECT_EQ(def.kind, row.kind);
        EXPECT_EQ(def.category, row.category);
        EXPECT_EQ(def.caption, row.caption);
        EXPECT_EQ(def.trueCaption, row.trueCaption);
        EXPECT_EQ(def.token, row.token);
        EXPECT_EQ(def.switchName, row.switchName);
        const auto dropped = kDroppedKeys.find(row.name);
        EXPECT_EQ(JoinedKeys(def), dropped == kDroppedKeys.end() ? std::string(row.keys) : std::string());
    }
}

TEST(ActionCatalogue, EveryKeyRunsOneActionAndDroppedKeysStayWithTheEarlierAction)
{
    std::map<std::string, std::string> owner;
    for (const ActionDef &def : ActionCatalogue()) {
        std::vector<std::string_view> keys;
        if (!def.shortcut.empty())
            keys.push_back(def.shortcut);
        for (std::string_view key : def.secondaryShortcuts())
            keys.push_back(key);
        for (std::string_view key : keys) {
            const auto [it, fresh] = owner.emplace(std::string(key), std::string(def.name));
            EXPECT_TRUE(fresh) << key << " is bound to " << it->second << " and " << def.name;
        }
    }
    EXPECT_EQ(owner["Ctrl+Q"], "saQuitter");
    EXPECT_EQ(owner["Ctrl+Shift+2"], "ccConvertirDV2");
    EXPECT_EQ(owner["Ctrl+J"], "saDureeTotale");
}

TEST(ActionCatalogue, TokensAndSwitchesAreUniqueExceptTheSharedDi)
{
    std::map<std::string_view, int> tokens;
    std::map<std::string_view, int> switches;
    std::set<std::string_view> names;
    for (const ActionDef &def : ActionCatalogue()) {
        EXPECT_TRUE(names.insert(def.name).second) << def.name;
        if (!def.token.empty())
            ++tokens[def.token];
        if (!def.switchName.empty())
            ++switches[def.switchName];
    }
    for (const auto &[token, count] : tokens)
        EXPECT_EQ(count, 1) << token;
    for (const auto &[name, count] : switches)
        EXPECT_EQ(count, name == "di" ? 2 : 1) << name;
    // A token equal to another action's switch would make one of them unreachable.
    for (const auto &[token, count] : tokens)
        EXPECT_EQ(switches.count(token), 0u) << token;
}

TEST(ActionCatalogue, SharedSwitchDiCallsDisplayTheInlayAndDeinterlacingHasItsToken)
{
    ASSERT_NE(FindAction("di"), nullptr);
    EXPECT_EQ(FindAction("di")->name, "taAfficherIncrustation");
    EXPECT_EQ(FindAction("DI")->name, "taAfficherIncrustation");
    ASSERT_NE(FindAction("deinterlace"), nullptr);
    EXPECT_EQ(FindAction("deinterlace")->name, "taDeinterlace");
}

TEST(ActionCatalogue, DetailedListIsScriptable)
{
    const ActionDef *bySwitch = FindAction("dl");
    const ActionDef *byToken = FindAction("DetailedList");
    ASSERT_NE(bySwitch, nullptr);
    EXPECT_EQ(bySwitch, byToken);
    EXPECT_EQ(bySwitch->name, "saListeDetaillee");
    EXPECT_EQ(bySwitch->preparation, Preparation::AsksUser);
}

TEST(ActionCatalogue, LookUps)
{
    struct Case {
        const char *word;
        const char *expected; // nullptr: no action
    };
    const Case cases[] = {
        {"qt", "saQuitter"},       {"quit", "saQuitter"},           {"QUIT", "saQuitter"},
        {"o", "saOuvrirFichiers"}, {"$", "ccCreerScnByContenu"},    {"16x9", "ccConvertir16x9"},
        {"f6", "taBasculerListe"}, {"showlist", "taBasculerListe"}, {"", nullptr},
        {"ccRenommer", nullptr},   {"Rename", "ccRenommer"},        {" quit", nullptr},
        {"abort", nullptr},        {"saQuitter", nullptr},
    };
    for (const Case &c : cases) {
        const ActionDef *found = FindAction(c.word);
        if (c.expected == nullptr)
            EXPECT_EQ(found, nullptr) << c.word;
        else
            EXPECT_TRUE(found != nullptr && found->name == c.expected) << c.word;
    }
    EXPECT_EQ(FindActionByName("ccRenommer")->commandName(), "Renommer");
    EXPECT_EQ(FindActionByName("saPlayStop")->commandName(), "");
    EXPECT_EQ(FindActionByName("saquitter"), nullptr);
}

TEST(ActionCatalogue, KindFollowsTheNamePrefix)
{
    for (const ActionDef &def : ActionCatalogue()) {
        SCOPED_TRACE(def.name);
        EXPECT_EQ(def.startsCommand(), def.name.starts_with("cc"));
        if (def.name.starts_with("ta")) {
            EXPECT_TRUE(def.isToggle());
        }
        EXPECT_EQ(def.isToggle(), !def.trueCaption.empty());
    }
}

TEST(ActionCatalogue, PreparationSteps)
{
    const std::set<std::string_view> asks = {"saOuvrirFichiers",       "saOuvrirunDossier", "saOuvrirScript",
                                             "saOuvrirPlayList",       "saSauverListe",     "ccDecalageHoraire",
                                             "ccDecalerHoraire",       "ccModifierCodec",   "ccFrequenceVideo",
                                             "ccCreerScnByIntervalle", "saListeDetaillee"};
    const std::set<std::string_view> syncs = {"taBasculerListe", "taRaccourcis", "taSelectionnerOuverts", "saPlayStop",
                                              "taEditerIncrust"};
    for (const ActionDef &def : ActionCatalogue()) {
        const Preparation expected = asks.count(def.name)    ? Preparation::AsksUser
                                     : syncs.count(def.name) ? Preparation::SyncsState
                                                             : Preparation::None;
        EXPECT_EQ(def.preparation, expected) << def.name;
    }
}

TEST(ActionCatalogue, ProgramNameGoesIntoCaptionsAndHints)
{
    EXPECT_EQ(FormatWithProgramName(FindActionByName("ccVisitHomepage")->caption), "Visit the homepage of Camlog");
    EXPECT_EQ(FormatWithProgramName(FindActionByName("saQuitter")->hint), "Quit Camlog");
    EXPECT_EQ(FormatWithProgramName("100%"), "100%");
}

TEST(ActionHelp, ListsEveryActionFromTheCatalogue)
{
    const std::string help = ActionHelpText();
    std::vector<std::string> lines;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const auto findLine = [&](const std::string &prefix) -> std::string {
        for (const std::string &line : lines)
            if (line.starts_with(prefix))
                return line;
        return {};
    };
    // Every scriptable action has a line starting with its token, showing its switch and caption.
    for (const ActionDef &def : ActionCatalogue()) {
        if (def.token.empty())
            continue;
        const std::string line = findLine(std::string(def.token) + " ");
        ASSERT_FALSE(line.empty()) << def.token;
        EXPECT_NE(line.find(FormatWithProgramName(def.caption)), std::string::npos) << line;
        if (!def.shortcut.empty()) {
            EXPECT_NE(line.find(std::string(def.shortcut)), std::string::npos) << line;
        }
    }
    EXPECT_NE(findLine("showlist ").find("f6"), std::string::npos);
    EXPECT_NE(findLine("showlist ").find("Show the list / Hide the list"), std::string::npos);
    EXPECT_NE(findLine("quit ").find("Alt+F4, Ctrl+Q"), std::string::npos);
    EXPECT_NE(findLine("homepage ").find("Visit the homepage of Camlog"), std::string::npos);
    // The shared switch is shown as belonging to the earlier action only.
    EXPECT_NE(findLine("displayinlay ").find(" di "), std::string::npos);
    EXPECT_NE(findLine("deinterlace ").find("(di)"), std::string::npos);
    // Actions without a token are listed too.
    EXPECT_NE(findLine("- ").find("Abort"), std::string::npos);
    EXPECT_NE(help.find("Total duration of videos"), std::string::npos);
}

} // namespace
} // namespace camlog::ui
