// The program's settings as one typed value; each member is named after its stored key, and the catalogue gives its default.
#pragma once

#include "prefs/preference_store.h"

#include <cstdint>
#include <string>

namespace camlog::prefs {

// Built by defaultSettings() or LoadPreferences() (settings_io.h); a value-initialised
// Settings is all zeros, not the defaults. Strings are UTF-8; folders end in "/" once
// PrepareLoadedSettings() has run.
struct Settings {
    std::int32_t top = 0;                 // "Top"
    std::int32_t left = 0;                // "Left"
    std::int32_t width = 0;               // "Width"
    std::int32_t height = 0;              // "Height"
    std::int32_t windoState = 0;          // "WindoState": 0 normal, 1 minimised, 2 maximised
    bool sendTo = false;                  // "SendTo"
    bool selectWhenOpening = false;       // "Select when opening"
    bool saveListWhenQuit = false;        // "Save list when quit"
    std::string formatAjouterDatecode;    // "Format pour Ajouter Datecode"
    std::string formatAjouterTimecode;    // "Format pour Ajouter Timecode"
    std::string formatAfficherDatecode;   // "Format pour Afficher Datecode"
    std::string formatRenommer;           // "Format pour Renommer"
    std::string folderToOpenFiles;        // "Folder to open files"
    std::string dossierOuvertureAuto;     // "Dossier à ouverture auto"
    std::string dossierPlayList;          // "Dossier des PlayList"
    bool saveInSameFolder = false;        // "Save in the same folder"
    std::string dossierPourSauver;        // "Dossier pour Sauver"
    std::string formatDate1;              // "formatdate1"
    std::string formatDate2;              // "formatdate2"
    std::int32_t whenIncrust = 0;         // "When Incrust": 0 permanent, 1 once, 2 each scene, 3 each day
    TfontRecord incrustFont;              // "IncrustFont"
    std::int32_t dureeIncrustation = 0;   // "Durée Incrustation", seconds
    std::int32_t borderSize = 0;          // "Border Size"
    std::string fichierF3;                // "Fichier F3"
    std::string fichierF4;                // "Fichier F4"
    std::string fichierSnapdeck;          // "Fichier Snapdeck"
    std::int32_t frequenceDV = 0;         // "Frequence DV": 0 32000, 1 44100, 2 48000 Hz
    std::int32_t standardDV = 0;          // "standard DV": 0 Pal, 1 Ntsc
    std::int32_t ratioDV = 0;             // "ratio DV": 0 4x3, 1 16x9
    std::string sortIndex;                // "Sort index"
    std::int32_t triDesRaccourcis = 0;    // "Tri des raccourcis": 0 caption, 1 shortcut, 2 switch
    std::string portablePath;             // "Portable Path"
    std::int32_t vue = 0;                 // "Vue": window layout 0-4
    std::int32_t retour = 0;              // "Retour": 1 after every load
    std::int32_t volume = 0;              // "Volume": 0-10000
    bool isMuteOn = false;                // "is Mute on"
    std::int32_t incrustPositionX = 0;    // "Incrust positionX": 0-1000
    std::int32_t incrustPositionY = 0;    // "Incrust positionY": 0-1000
    bool incrustSlidersVisible = false;   // "Incrust Sliders Visible"
    std::int32_t alignement = 0;          // "Alignement": 0 left, 1 centred, 2 right, 3 subtitle
    std::int32_t whatIncrust = 0;         // "What Incrust": 0 datecode, 1 timecode, 2 template
    bool isIncrustOn = false;             // "is Incrust On"
    bool decalageAvance = false;          // "Decalage avancé"
    std::string formatIncrusterDatecode1; // "Format pour Incruster Datecode1"
    std::string formatIncrusterDatecode2; // "Format pour Incruster Datecode2"
    double decalageHoraire = 0.0;         // "Décalage Horaire", days
    std::string texte1;                   // "texte1"
    std::string texte2;                   // "texte2"
    bool listeGauche = false;             // "liste gauche"
    std::int32_t intervalle = 0;          // "intervalle", seconds, at least 1
    std::string templateRenommer;         // "template renommer"
    bool datecodeAvant = false;           // "Datecode avant"
    bool timcodeAvant = false;            // "Timcode avant"
    std::int32_t formatDuree = 0;         // "Format Durée": 0-2
    bool deinterlace = false;             // "Deinterlace"
    std::string sharePreset;              // "Share preset": x264's speed preset of the MP4 copies
    std::int32_t shareCrf = 0;            // "Share CRF": x264's constant quality, 0-51
    bool chargerSnapdeck = false;         // "Charger Snapdeck"

    bool operator==(const Settings &) const = default;
};

} // namespace camlog::prefs
