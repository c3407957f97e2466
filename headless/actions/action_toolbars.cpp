// The tool bars of the main window as data.
#include "headless/actions/action_toolbars.h"

namespace camlog::ui {

namespace {

constexpr std::string_view kOpen[] = {"saOuvrirDossierPrefere", "saOuvrirFichiers", "saOuvrirScript",
                                      "saCollerFichiers"};
constexpr std::string_view kVideo[] = {
    "taMute",          "taAfficherIncrustation", "taFullscreen",  "ccDecalageHoraire", "ccDossierParent",
    "taEditerIncrust", "taEditerScenes",         "taDeinterlace", "ccShareCopy"};
constexpr std::string_view kInterface[] = {"taOptions", "saQuitter", "taApropos", "taRaccourcis"};
constexpr std::string_view kScenes[] = {"saSupprimerScene", "saInsererScene", "taEditerTitres", "saEnregistrerScn"};
constexpr std::string_view kList[] = {"saViderListe", "saSauverListe", "saSelectionnerTout"};

constexpr ToolBarDef kToolBars[] = {
    {"tbOuvrir", "Open files", "sabarreOuvrir", kOpen, true},
    {"tbVideo", "Change the Video", "saBarreVideo", kVideo, true},
    {"tbInterface", "Interface", "saBarreInterface", kInterface, true},
    {"tbScenes", "Scenes", "saBarreScenes", kScenes, false},
    {"tbListe", "list", "saBarreListe", kList, true},
};

} // namespace

std::span<const ToolBarDef> ToolBarLayouts()
{
    return kToolBars;
}

const ToolBarDef *FindToolBar(std::string_view name)
{
    for (const ToolBarDef &bar : kToolBars)
        if (bar.name == name)
            return &bar;
    return nullptr;
}

} // namespace camlog::ui
