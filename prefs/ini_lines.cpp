// The look-up and the editing algorithm of settings file entries.
#include "prefs/ini_lines.h"

namespace camlog::prefs {
namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

// The entry name of a line that is not a section header; no value for a line without "=".
std::optional<QString> entryName(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) {
        return std::nullopt;
    }
    return line.left(eq);
}

// Index of the matching entry line, or -1.
qsizetype findEntryLine(const QStringList &lines, const QString &sectionHeader, const QString &name)
{
    QString current;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (isSectionHeader(line)) {
            current = trimBlank(line);
            inSection = current == sectionHeader;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const auto lineName = entryName(line);
        if (lineName && *lineName == name) {
            return i;
        }
    }
    return -1;
}

QString singleLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

} // namespace

QString trimBlank(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

bool isSectionHeader(const QString &line)
{
    const QString trimmed = trimBlank(line);
    return trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

std::optional<QString> findEntry(const QStringList &lines, const QString &sectionHeader, const QString &name)
{
    const qsizetype i = findEntryLine(lines, sectionHeader, name);
    if (i < 0) {
        return std::nullopt;
    }
    const QString &line = lines[i];
    return line.mid(line.indexOf(u'=') + 1);
}

void writeEntry(QStringList &lines, const QString &sectionHeader, const QString &name, const QString &value)
{
    const QString safeName = singleLine(name);
    const QString entry = safeName + u'=' + singleLine(value);

    const qsizetype existing = findEntryLine(lines, sectionHeader, safeName);
    if (existing >= 0) {
        lines[existing] = entry;
        return;
    }

    qsizetype header = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (trimBlank(lines[i]) == sectionHeader) {
            header = i;
            break;
        }
    }
    if (header < 0) {
        lines.append(sectionHeader);
        lines.append(entry);
        return;
    }
    for (qsizetype i = header + 1; i < lines.size(); ++i) {
        if (isSectionHeader(lines[i])) {
            lines.insert(i, entry);
            return;
        }
    }
    lines.append(entry);
}

} // namespace camlog::prefs
