// Deleting the per-user and the portable settings files.
#include "prefs/preference_deletion.h"

#include "prefs/ini_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace camlog::prefs {
namespace {

QString q(const std::string &path)
{
    return QString::fromStdString(path);
}

// True when the per-user file was there.
bool deleteNormalFile(const PrefsEnvironment &env)
{
    const QString maker = q(env.makerFolder());
    if (maker.isEmpty() || !QFileInfo(maker).isDir()) {
        return false;
    }
    const QString file = q(env.normalFile);
    const bool found = QFileInfo(file).exists();
    QFile::remove(file);
    // rmdir removes only an empty folder: Snapdeck's file keeps it.
    QDir().rmdir(maker);
    return found;
}

bool deletePortable(const PrefsEnvironment &env)
{
    const QString file = q(env.portableFile);
    if (file.isEmpty() || !iniFileExists(file)) {
        return false;
    }
    QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner);
    QFile::remove(file);
    return true;
}

std::string replaceProductName(std::string text)
{
    const auto at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, kProductName);
    }
    return text;
}

} // namespace

void DeleteRegistryPreferences(const PrefsEnvironment &env)
{
    deleteNormalFile(env);
}

void DeletePortableFile(const PrefsEnvironment &env)
{
    deletePortable(env);
}

PrefsMessage deletePreferencesQuestion()
{
    return {MessageKind::Warning, replaceProductName("Do you really want to delete the Preferences of %s")};
}

PrefsMessage deletePreferencesReport(DeletePreferencesOutcome outcome)
{
    switch (outcome) {
    case DeletePreferencesOutcome::Deleted:
        return {MessageKind::Information, replaceProductName("%s has been completely deleted from your system.")};
    case DeletePreferencesOutcome::NotFound:
        return {MessageKind::Warning, replaceProductName("The preferences of %s were not found on your system.")};
    case DeletePreferencesOutcome::Cancelled:
        break;
    }
    return {MessageKind::Information, {}};
}

DeletePreferencesOutcome DeletePreferences(const PrefsEnvironment &env,
                                           const std::function<bool(const PrefsMessage &question)> &confirm)
{
    if (!confirm || !confirm(deletePreferencesQuestion())) {
        return DeletePreferencesOutcome::Cancelled;
    }
    const bool portableFound = deletePortable(env);
    const bool normalFound = deleteNormalFile(env);
    return portableFound || normalFound ? DeletePreferencesOutcome::Deleted : DeletePreferencesOutcome::NotFound;
}

} // namespace camlog::prefs
