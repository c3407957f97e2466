// The layout of the main menu and the pop-up menus as data.
#include "headless/actions/action_menus.h"

namespace camlog::ui {

namespace {

constexpr MenuEntry A(std::string_view name)
{
    return {MenuEntryKind::Action, name};
}
constexpr MenuEntry kSep{MenuEntryKind::Separator, {}};
constexpr MenuEntry Sub(std::string_view caption)
{
    return {MenuEntryKind::SubmenuBegin, caption};
}
constexpr MenuEntry kEnd{MenuEntryKind::SubmenuEnd, {}};

constexpr MenuEntry kFiles[] = {A("saOuvrirFichiers"),
                                A("saCollerFichiers"),
                                A("saOuvrirunDossier"),
                                A("saOuvrirDossierPrefere"),
                                A("saOuvrirTout"),
                                kSep,
                                A("saOuvrirPlayList"),
                                A("saOuvrirDefaultPlayList"),
                                A("saSauverListe"),
                                kSep,
                                A("taBasculerListe"),
                                Sub("Sort the list"),
                                A("saOrdreAlpha"),
                                A("saTriTaille"),
                                A("saTrierModify"),
                                A("saTriDatecode"),
                                A("saTriTimecode"),
                                A("saTriDuree"),
                                kEnd,
                                A("saViderListe"),
                                A("saDureeTotale"),
                                kSep,
                                A("saQuitter")};
constexpr MenuEntry kDisplay[] = {A("taBasculerListe"),
                                  Sub("Tool bars"),
                                  A("sabarreOuvrir"),
                                  A("saBarreVideo"),
                                  A("saBarreScenes"),
                                  A("saBarreListe"),
                                  A("saBarreInterface"),
                                  kEnd,
                                  kSep,
                                  A("taVideoSeule"),
                                  A("taListeGauche"),
                                  A("taFullscreen"),
                                  A("saVueReduite")};
constexpr MenuEntry kVideo[] = {A("saPlayStop"),
                                A("taMute"),
                                A("taDeinterlace"),
                                kSep,
                                A("ccSnapdeck"),
                                A("ccOpenFichierF3"),
                                A("ccOpenFichierF4"),
                                A("ccDefaultPlayer"),
                                kSep,
                                A("saRiffHeader"),
                                A("ccFrequenceVideo"),
                                A("ccModifierCodec"),
                                A("ccDateFichier"),
                                kSep,
                                A("ccDossierParent"),
                                A("saOterFichier"),
                                A("ccSupprimerFichier")};
constexpr MenuEntry kRename[] = {A("ccAjouterDatecode"), A("ccAjouterTimecode"), A("ccRenommer"), kSep,
                                 A("ccPurgerNom")};
constexpr MenuEntry kConvert[] = {A("ccConvertirDV1"),
                                  A("ccConvertirDV2"),
                                  A("ccRecompresserDV2"),
                                  A("ccCorrigerType2"),
                                  kSep,
                                  A("ccConvertirNTSC"),
                                  A("ccConvertirPal"),
                                  A("ccConvertir4x3"),
                                  A("ccConvertir16x9"),
                                  kSep,
                                  A("ccDecalerHoraire"),
                                  A("ccExtraireAudio"),
                                  kSep,
                                  A("ccShareCopy"),
                                  A("ccShareScenes")};
constexpr MenuEntry kInlay[] = {
    A("taAfficherIncrustation"), A("taEditerIncrust"), A("ccIncruster"), kSep, A("ccCreerSrt"), A("ccSupprimerSrt")};
constexpr MenuEntry kScenes[] = {A("taEditerScenes"),
                                 kSep,
                                 A("ccCreerScnByContenu"),
                                 A("ccCreerScnByDate"),
                                 A("ccCreerScnByIntervalle"),
                                 A("ccSupprimerScn"),
                                 kSep,
                                 A("ccExporterScenesTexte"),
                                 A("ccExporterScenesWriter"),
                                 A("ccExporterScenesCalc"),
                                 A("ccExporterScenesExcel"),
                                 A("ccExporterScenesWord"),
                                 kSep,
                                 A("ccCutScenes")};
constexpr MenuEntry kHelp[] = {A("taRaccourcis"),    A("taOptions"),  A("taApropos"),
                               A("ccVisitHomepage"), A("ccSendMail"), A("ccVisitBlog")};

constexpr MenuDef kMainMenu[] = {
    {"Files", "Files", kFiles},       {"Display", "Display", kDisplay},
    {"Video", "Video", kVideo},       {"Rename", "Rename", kRename},
    {"Convert", "Convert", kConvert}, {"Inlay", "Inlay", kInlay},
    {"Scenes", "Scenes", kScenes},    {"?", "?", kHelp},
};

constexpr MenuEntry kMainPopup[] = {A("saOuvrirFichiers"),
                                    A("saCollerFichiers"),
                                    A("saOuvrirunDossier"),
                                    A("saOuvrirDossierPrefere"),
                                    A("saOuvrirPlayList"),
                                    A("saOuvrirScript"),
                                    kSep,
                                    A("saViderListe"),
                                    A("saSauverListe"),
                                    A("saListeDetaillee"),
                                    A("saSelectionnerTout"),
                                    kSep,
                                    A("ccShareCopy"),
                                    A("ccShareScenes"),
                                    Sub("Sort"),
                                    A("saOrdreAlpha"),
                                    A("saTriTaille"),
                                    A("saTrierModify"),
                                    A("saTriDatecode"),
                                    A("saTriTimecode"),
                                    A("saTriDuree"),
                                    kEnd,
                                    kSep,
                                    A("taRaccourcis"),
                                    A("taOptions"),
                                    A("taApropos"),
                                    A("saQuitter")};
constexpr MenuEntry kVideoPanelPopup[] = {A("taFullscreen"),        kSep, A("saPlayStop"),    A("taMute"),      kSep,
                                          A("saCopierImagedansPP"), kSep, A("taListeGauche"), A("taVideoSeule")};

constexpr MenuDef kMainPopupDef{"mainPopup", "", kMainPopup};
// The file list's own pop-up menu offers what the window's does.
constexpr MenuDef kListPopupDef{"listpopup", "", kMainPopup};
constexpr MenuDef kVideoPanelPopupDef{"pmWindow", "", kVideoPanelPopup};

} // namespace

std::span<const MenuDef> MainMenuLayout()
{
    return kMainMenu;
}

const MenuDef &MainPopupLayout()
{
    return kMainPopupDef;
}

const MenuDef &ListPopupLayout()
{
    return kListPopupDef;
}

const MenuDef &VideoPanelPopupLayout()
{
    return kVideoPanelPopupDef;
}

bool MenuVisible(const MenuDef &menu, const std::function<bool(std::string_view actionName)> &actionVisible)
{
    int depth = 0;
    for (const MenuEntry &entry : menu.entries) {
        switch (entry.kind) {
        case MenuEntryKind::Action:
            if (depth == 0 && actionVisible(entry.text))
                return true;
            break;
        case MenuEntryKind::SubmenuBegin:
            if (depth == 0)
                return true;
            ++depth;
            break;
        case MenuEntryKind::SubmenuEnd:
            --depth;
            break;
        case MenuEntryKind::Separator:
            break;
        }
    }
    return false;
}

} // namespace camlog::ui
