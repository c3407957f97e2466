// Finding and editing the entries of one section in the lines of a settings file.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace camlog::prefs {

// Trims the characters up to U+0020 (blanks and control characters) at both ends.
QString trimBlank(const QString &text);

// A line whose trimmed text begins with "[" and ends with "]".
bool isSectionHeader(const QString &line);

// The value of the first entry called `name` (case-sensitive, untrimmed text before the
// first "=") that stands while the last section header seen equals `sectionHeader`
// exactly. Entries before any header and under other headers never match; a line without
// "=" is no entry.
std::optional<QString> findEntry(const QStringList &lines, const QString &sectionHeader, const QString &name);

// Sets the entry: a matching entry (as findEntry finds it) keeps its place and gets the new
// value; otherwise the entry becomes the last line of the first section whose header line
// equals `sectionHeader` once trimmed (just before the next header, or at the end); without
// such a section the header and the entry are appended. Every other line stays as it was.
// CR and LF inside the name or value become blanks: a line break would split the line and
// could forge other entries or headers.
void writeEntry(QStringList &lines, const QString &sectionHeader, const QString &name, const QString &value);

} // namespace camlog::prefs
