// Reading a settings file from disk and replacing it whole, never leaving it half-written.
#pragma once

#include <QString>
#include <QStringList>

namespace camlog::prefs {

enum class IniFileState {
    Missing,    // nothing at the path
    Unreadable, // something is there but cannot be read as a settings file (a folder, no permission, too
                // big, zero characters in no encoding the reader knows): never written over
    Read,
};

struct IniFileContent {
    IniFileState state = IniFileState::Missing;
    QStringList lines;
};

// Settings files are a few kilobytes; anything above this is not one and is not loaded.
inline constexpr qint64 kMaxIniFileSize = 4 * 1024 * 1024;

IniFileContent readIniFile(const QString &path);

// True when a regular file (or a link to one) is at the path.
bool iniFileExists(const QString &path);

// Writes the lines (UTF-16 LE with mark, CR LF) to a temporary beside the file and renames
// it over the file, so a failure leaves the old file as it was. Creates the folder when
// `createFolder` is set. Returns false on any failure; nothing is reported.
bool writeIniFile(const QString &path, const QStringList &lines, bool createFolder);

} // namespace camlog::prefs
