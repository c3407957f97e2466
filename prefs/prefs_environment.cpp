// Locating the program file, the settings files and the XDG user folders.
#include "prefs/prefs_environment.h"

#include "core/program_file.h"

#include <QDir>
#include <QStandardPaths>
#include <QString>

#include <filesystem>
#include <system_error>

namespace camlog::prefs {
namespace {

std::string configFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) {
        return QDir::cleanPath(xdg).toStdString();
    }
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.config")).toStdString();
}

std::string folderPart(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace

std::string PrefsEnvironment::programFolder() const
{
    return folderPart(programFile);
}

std::string PrefsEnvironment::makerFolder() const
{
    return folderPart(normalFile);
}

PrefsEnvironment PrefsEnvironment::forProgram(const std::string &programFile)
{
    PrefsEnvironment env;
    env.programFile = programFile;
    const std::string folder = env.programFolder();
    env.portableFile = folder.empty() ? std::string() : folder + kProductName + ".ini";
    const std::string maker = configFolder() + "/" + kMakerName + "/";
    env.normalFile = maker + kProductName + ".ini";
    env.snapdeckFile = maker + "Snapdeck.ini";
    env.videoFolder =
        withoutTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation).toStdString());
    env.documentsFolder =
        withoutTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString());
    return env;
}

PrefsEnvironment PrefsEnvironment::current()
{
    return forProgram(core::ProgramFile());
}

std::string defaultDocumentsFolder(const PrefsEnvironment &env)
{
    if (!env.documentsFolder.empty()) {
        return env.documentsFolder;
    }
    const std::string home = withoutTrailingSlash(QDir::homePath().toStdString());
    return home.empty() ? std::string("/") : home;
}

std::string defaultVideoFolder(const PrefsEnvironment &env)
{
    return env.videoFolder.empty() ? defaultDocumentsFolder(env) : env.videoFolder;
}

} // namespace camlog::prefs
