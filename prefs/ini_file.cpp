// Settings files on disk: bounded reads and atomic replacement.
#include "prefs/ini_file.h"

#include "prefs/ini_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace camlog::prefs {

bool iniFileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

IniFileContent readIniFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        return {IniFileState::Missing, {}};
    }
    if (!info.isFile() || info.size() > kMaxIniFileSize) {
        return {IniFileState::Unreadable, {}};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {IniFileState::Unreadable, {}};
    }
    // read() with a bound: the size seen above may have grown since.
    const QByteArray bytes = file.read(kMaxIniFileSize + 1);
    if (bytes.size() > kMaxIniFileSize || file.error() != QFileDevice::NoError) {
        return {IniFileState::Unreadable, {}};
    }
    // Zero characters left after the decoding mean a text of no encoding the reader knows:
    // lines taken from it would be written back mangled.
    QStringList lines = decodeIniText(bytes);
    for (const QString &line : lines) {
        if (line.contains(QChar(u'\0'))) {
            return {IniFileState::Unreadable, {}};
        }
    }
    return {IniFileState::Read, std::move(lines)};
}

bool writeIniFile(const QString &path, const QStringList &lines, bool createFolder)
{
    if (path.isEmpty()) {
        return false;
    }
    if (createFolder && !QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = encodeIniText(lines);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace camlog::prefs
