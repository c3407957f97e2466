// The process-wide settings behind a reader-writer lock, and the start-up and mode-change sequences.
#include "prefs/current_settings.h"

#include "prefs/preference_deletion.h"

#include <atomic>
#include <mutex>
#include <shared_mutex>

namespace camlog::prefs {
namespace {

struct Shared {
    std::shared_mutex lock;
    Settings settings = defaultSettings(PrefsEnvironment{}, ScreenSize{});
};

Shared &shared()
{
    static Shared instance;
    return instance;
}

std::atomic<PreferenceMode> &modeStorage()
{
    static std::atomic<PreferenceMode> mode{pmNone};
    return mode;
}

} // namespace

Settings currentSettings()
{
    Shared &s = shared();
    const std::shared_lock guard(s.lock);
    return s.settings;
}

void setCurrentSettings(Settings settings)
{
    Shared &s = shared();
    const std::unique_lock guard(s.lock);
    s.settings = std::move(settings);
}

PreferenceMode currentPreferenceMode()
{
    return modeStorage().load();
}

void setCurrentPreferenceMode(PreferenceMode mode)
{
    modeStorage().store(mode);
}

void ChangePreferenceMode(PreferenceMode mode, const PrefsEnvironment &env)
{
    setCurrentPreferenceMode(mode);
    if (mode != pmPortable) {
        DeletePortableFile(env);
    }
    if (mode != pmNormal) {
        DeleteRegistryPreferences(env);
    }
}

Settings LoadPreferencesAtStart(const PrefsEnvironment &env, ScreenSize screen)
{
    const PreferenceMode mode = ChoosePreferenceMode(env);
    Settings settings = LoadPreferences(mode, env, screen);
    PrepareLoadedSettings(settings);
    setCurrentPreferenceMode(mode);
    setCurrentSettings(settings);
    return settings;
}

} // namespace camlog::prefs
