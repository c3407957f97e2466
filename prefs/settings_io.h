// Loading and saving the settings through the preference store, and the rules applied to them after a load.
#pragma once

#include "core/date_time.h"
#include "prefs/preference_store.h"
#include "prefs/prefs_environment.h"
#include "prefs/settings.h"

#include <string>

namespace camlog::prefs {

// Available screen size in pixels; only the centred window position depends on it.
struct ScreenSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Every setting at its default: the catalogue's values, the user's folders, Snapdeck's
// path and the window centred on the screen. "Retour" is 1, as after any load.
Settings defaultSettings(const PrefsEnvironment &env, ScreenSize screen);

// Reads every setting of the catalogue from the store of `mode` (pmNone gives the
// defaults). A missing entry, a text that does not convert, or an integer outside its
// range gives the default. "Top" and "Left" default to the centre for the "Width" and
// "Height" just read. Afterwards "Retour" is 1, and in pmPortable the portable-path rule
// is applied. Never fails.
Settings LoadPreferences(PreferenceMode mode, const PrefsEnvironment &env, ScreenSize screen);

// Writes every setting in catalogue order, with the version, `now` formatted as the time of
// the save and the program file. Nothing in pmNone. True when the file was written; a
// failure leaves the previous file whole and is not reported.
bool SavePreferences(const Settings &settings, PreferenceMode mode, const PrefsEnvironment &env, core::DateTime now);

// The save behind "Save the preferences now" and quitting, once the caller has copied the
// window's state into `settings`: nothing in pmNone; otherwise "Portable Path" becomes the
// program's folder and the settings are saved.
bool SaveSettingsNow(Settings &settings, PreferenceMode mode, const PrefsEnvironment &env, core::DateTime now);

// A portable installation moved elsewhere: each folder and program setting whose folder part
// begins (ignoring letter case) with the stored "Portable Path" P is moved under the
// program's folder N (N + the value less its first length-of-P characters). Nothing
// happens when P or N is empty.
void ApplyPortablePathRule(Settings &settings, const std::string &programFolder);

// The rules the main window applies once after a load: the four folder settings end in "/"
// (an empty one stays empty), "Save in the same folder" is switched on when "Dossier pour
// Sauver" is not an existing folder, the inlay position sliders start hidden.
void PrepareLoadedSettings(Settings &settings);

// The default playlist: the file of "Dossier des PlayList" named "PlayList.txt" in any letter
// case (an earlier run may have stored it as "playlist.txt"); "PlayList.txt" in that folder when
// none exists yet. The exact name wins when several spellings exist.
std::string preferredPlaylist(const Settings &settings);

// Choosing the portable mode: each of the four folders that does not begin (ignoring case)
// with the program's folder becomes the program's folder.
void MoveFoldersIntoProgramFolder(Settings &settings, const std::string &programFolder);

// The local time now as a date-time value (for SavePreferences).
core::DateTime localNow();

} // namespace camlog::prefs
