// The settings file text: decoding, entry look-up and rewrite, encoding, on any bytes.
#include "prefs/ini_lines.h"
#include "prefs/ini_text.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog::prefs;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QStringList lines = decodeIniText(bytes);
    (void)decodeWindows1252(bytes);
    const QString section = QStringLiteral("[Preferences]");
    (void)findEntry(lines, section, QStringLiteral("intervalle"));
    if (!lines.isEmpty()) {
        // A section and a name taken from the file itself.
        const QString first = lines.first();
        if (isSectionHeader(first))
            (void)findEntry(lines, first, trimBlank(lines.last()));
    }
    writeEntry(lines, section, QStringLiteral("intervalle"), QStringLiteral("5"));
    (void)encodeIniText(lines);
    return 0;
}
