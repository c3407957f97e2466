// The process-wide settings and storage mode: set on the main thread, read from any thread.
#pragma once

#include "prefs/preference_store.h"
#include "prefs/prefs_environment.h"
#include "prefs/settings.h"
#include "prefs/settings_io.h"

namespace camlog::prefs {

// A copy of the process-wide settings. Safe from any thread; a command takes one copy at
// the start of its run so that a change in the settings panel does not reach it halfway.
// Before the first setCurrentSettings() these are defaultSettings() with no program file and
// no screen.
Settings currentSettings();
void setCurrentSettings(Settings settings);

PreferenceMode currentPreferenceMode();
// Only records the mode: nothing is deleted. Start-up uses this to show the mode in force.
void setCurrentPreferenceMode(PreferenceMode mode);

// The user changed the storage mode (settings panel, or the choice asked at quit): the mode
// is recorded; the portable file is deleted unless the new mode is pmPortable, the per-user
// file unless it is pmNormal. Must not run for the mode found at start: a copy of the
// program started from another folder, or from a portable drive, would otherwise delete the
// settings of the installed copy without anyone asking.
void ChangePreferenceMode(PreferenceMode mode, const PrefsEnvironment &env);

// Start: chooses the mode, loads, applies PrepareLoadedSettings and makes the result the
// process-wide settings and mode. Returns the settings.
Settings LoadPreferencesAtStart(const PrefsEnvironment &env, ScreenSize screen);

} // namespace camlog::prefs
