// Removing stored preferences: one store silently, or both on the user's request with a question and a report.
#pragma once

#include "prefs/prefs_environment.h"

#include <functional>
#include <string>

namespace camlog::prefs {

// Removes the per-user settings file, then the maker's folder <config>/Ovrand/ when
// nothing else (Snapdeck's file) is left in it. Silent; failures are ignored.
void DeleteRegistryPreferences(const PrefsEnvironment &env);

// Removes the portable settings file beside the program, read-only or not. Silent.
void DeletePortableFile(const PrefsEnvironment &env);

enum class DeletePreferencesOutcome {
    Cancelled, // the question was not answered Yes: nothing changed
    Deleted,   // something was found and deleted
    NotFound,  // nothing was stored
};

enum class MessageKind { Information, Warning };

struct PrefsMessage {
    MessageKind kind;
    std::string text;
};

// "Do you really want to delete the Preferences of Camlog", asked as a warning with Yes and No.
PrefsMessage deletePreferencesQuestion();
// The report after a Yes, shown with an OK button; no message for Cancelled (empty text).
PrefsMessage deletePreferencesReport(DeletePreferencesOutcome outcome);

// The user's "Delete the preferences": asks `confirm` the question (true = Yes), then
// deletes both stores and tells whether anything had been found. The caller shows the report.
DeletePreferencesOutcome DeletePreferences(const PrefsEnvironment &env,
                                           const std::function<bool(const PrefsMessage &question)> &confirm);

} // namespace camlog::prefs
