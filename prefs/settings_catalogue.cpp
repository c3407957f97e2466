// The settings table. Keys are the stored names and must never change: files written by every earlier version use them.
#include "prefs/settings_catalogue.h"

#include <vector>

namespace camlog::prefs {
namespace {

using S = Settings;
constexpr std::int32_t kNoMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kNoMax = std::numeric_limits<std::int32_t>::max();

SettingEntry boolean(std::string_view key, bool S::*field, bool value, std::string_view usedBy)
{
    return {key, SettingType::Boolean, field, DefaultSource::Fixed, value, kNoMin, kNoMax, usedBy};
}

SettingEntry integer(std::string_view key, std::int32_t S::*field, std::int32_t value, std::int32_t minimum,
                     std::int32_t maximum, std::string_view usedBy)
{
    return {key, SettingType::Integer, field, DefaultSource::Fixed, value, minimum, maximum, usedBy};
}

SettingEntry integerFrom(std::string_view key, std::int32_t S::*field, DefaultSource source, std::string_view usedBy)
{
    return {key, SettingType::Integer, field, source, std::int32_t{0}, kNoMin, kNoMax, usedBy};
}

SettingEntry text(std::string_view key, std::string S::*field, std::string_view value, std::string_view usedBy)
{
    return {key, SettingType::String, field, DefaultSource::Fixed, value, kNoMin, kNoMax, usedBy};
}

SettingEntry textFrom(std::string_view key, std::string S::*field, DefaultSource source, std::string_view usedBy)
{
    return {key, SettingType::String, field, source, std::string_view{}, kNoMin, kNoMax, usedBy};
}

SettingEntry written(std::string_view key, DefaultSource source)
{
    return {key, SettingType::String, std::monostate{}, source, std::string_view{}, kNoMin, kNoMax, "written only"};
}

SettingEntry floating(std::string_view key, double S::*field, double value, std::string_view usedBy)
{
    return {key, SettingType::Float, field, DefaultSource::Fixed, value, kNoMin, kNoMax, usedBy};
}

// minimum and maximum bound the font's size.
SettingEntry font(std::string_view key, TfontRecord S::*field, TfontRecord value, std::int32_t minimum,
                  std::int32_t maximum, std::string_view usedBy)
{
    return {key, SettingType::Font, field, DefaultSource::Fixed, std::move(value), minimum, maximum, usedBy};
}

std::vector<SettingEntry> buildCatalogue()
{
    using D = DefaultSource;
    return {
        written("version", D::WrittenVersion),
        written("Last saving", D::WrittenLastSave),
        written("Exename", D::WrittenExename),
        integerFrom("Top", &S::top, D::CentredTop, "main window"),
        integerFrom("Left", &S::left, D::CentredLeft, "main window"),
        integer("Width", &S::width, 596, 1, kNoMax, "main window"),
        integer("Height", &S::height, 546, 1, kNoMax, "main window"),
        integer("WindoState", &S::windoState, 0, 0, 2, "main window"),
        boolean("SendTo", &S::sendTo, false, "settings panel, desktop entry"),
        boolean("Select when opening", &S::selectWhenOpening, false, "file list"),
        boolean("Save list when quit", &S::saveListWhenQuit, false, "start and quit, playlists"),
        text("Format pour Ajouter Datecode", &S::formatAjouterDatecode, "yyyy.mm.dd_hh.nn.ss_am/pm", "rename commands"),
        text("Format pour Ajouter Timecode", &S::formatAjouterTimecode, "ddddd tt", "rename commands"),
        text("Format pour Afficher Datecode", &S::formatAfficherDatecode, "ddddd tt",
             "video information, scene export, scene titles"),
        text("Format pour Renommer", &S::formatRenommer, "yyyymmdd_hh.nn.ss_am/pm", "rename commands"),
        textFrom("Folder to open files", &S::folderToOpenFiles, D::VideoFolder, "open dialog"),
        textFrom("Dossier à ouverture auto", &S::dossierOuvertureAuto, D::VideoFolder, "preferred folder (F7)"),
        textFrom("Dossier des PlayList", &S::dossierPlayList, D::DocumentsFolder, "playlists"),
        boolean("Save in the same folder", &S::saveInSameFolder, true, "OutputFileName"),
        textFrom("Dossier pour Sauver", &S::dossierPourSauver, D::VideoFolder, "OutputFileName"),
        text("formatdate1", &S::formatDate1, "ddddd", "inlay"),
        text("formatdate2", &S::formatDate2, "tt", "inlay"),
        integer("When Incrust", &S::whenIncrust, 2, 0, 3, "inlay"),
        font("IncrustFont", &S::incrustFont, defaultIncrustFont(), kInlayFontSizeMin, kInlayFontSizeMax, "inlay"),
        integer("Durée Incrustation", &S::dureeIncrustation, 5, 0, kInlaySecondsMax, "inlay"),
        integer("Border Size", &S::borderSize, 2, 0, kInlayBorderMax, "inlay"),
        text("Fichier F3", &S::fichierF3, "", "shell helpers (F3)"),
        text("Fichier F4", &S::fichierF4, "", "shell helpers (F4)"),
        textFrom("Fichier Snapdeck", &S::fichierSnapdeck, D::SnapdeckProgram, "shell helpers (F2)"),
        integer("Frequence DV", &S::frequenceDV, 2, 0, 2, "recompression into DV"),
        integer("standard DV", &S::standardDV, 0, 0, 1, "recompression into DV"),
        integer("ratio DV", &S::ratioDV, 0, 0, 1, "recompression into DV"),
        text("Sort index", &S::sortIndex, "alpha", "file list sorting"),
        integer("Tri des raccourcis", &S::triDesRaccourcis, 0, 0, 2, "shortcut table"),
        text("Portable Path", &S::portablePath, "", "portable-path rule"),
        integer("Vue", &S::vue, 0, 0, 4, "main window"),
        integer("Retour", &S::retour, 0, 0, 4, "main window"),
        integer("Volume", &S::volume, 5000, 0, 10000, "preview"),
        boolean("is Mute on", &S::isMuteOn, false, "preview"),
        integer("Incrust positionX", &S::incrustPositionX, 920, 0, 1000, "inlay"),
        integer("Incrust positionY", &S::incrustPositionY, 920, 0, 1000, "inlay"),
        boolean("Incrust Sliders Visible", &S::incrustSlidersVisible, false, "inlay editor"),
        integer("Alignement", &S::alignement, 2, 0, 3, "inlay"),
        integer("What Incrust", &S::whatIncrust, 0, 0, 2, "inlay"),
        boolean("is Incrust On", &S::isIncrustOn, false, "inlay, preview"),
        boolean("Decalage avancé", &S::decalageAvance, false, "time difference dialog"),
        text("Format pour Incruster Datecode1", &S::formatIncrusterDatecode1, "ddddd", "stored only"),
        text("Format pour Incruster Datecode2", &S::formatIncrusterDatecode2, "tt", "stored only"),
        floating("Décalage Horaire", &S::decalageHoraire, 0.0, "NTSC/Pal conversions, time difference dialog"),
        text("texte1", &S::texte1, "Your template here", "inlay"),
        text("texte2", &S::texte2, "with datecode=%D, timecode=%T, etc...", "inlay"),
        boolean("liste gauche", &S::listeGauche, false, "main window"),
        integer("intervalle", &S::intervalle, 30, 1, kNoMax, "scenes by fixed interval"),
        text("template renommer", &S::templateRenommer, "video'%D.avi", "rename commands"),
        boolean("Datecode avant", &S::datecodeAvant, false, "rename commands"),
        boolean("Timcode avant", &S::timcodeAvant, false, "rename commands"),
        integer("Format Durée", &S::formatDuree, 0, 0, 2, "title editor"),
        boolean("Deinterlace", &S::deinterlace, true, "deinterlacing"),
        text("Share preset", &S::sharePreset, "medium", "share copies (H.264 preset)"),
        integer("Share CRF", &S::shareCrf, 20, 0, 51, "share copies (H.264 quality)"),
        boolean("Charger Snapdeck", &S::chargerSnapdeck, true, "shell helpers (F2)"),
    };
}

} // namespace

TfontRecord defaultIncrustFont()
{
    TfontRecord font;
    font.Name = "arial";
    font.Size = 16;
    font.Color = 0x00FFFFFF;
    return font;
}

std::span<const SettingEntry> settingsCatalogue()
{
    static const std::vector<SettingEntry> catalogue = buildCatalogue();
    return catalogue;
}

const SettingEntry *findSetting(std::string_view key)
{
    for (const SettingEntry &entry : settingsCatalogue()) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace camlog::prefs
