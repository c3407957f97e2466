// Decoding and encoding of settings file text (UTF-16 with mark, UTF-8, Windows-1252).
#include "prefs/ini_text.h"

#include "core/text_encoding.h"

#include <QStringDecoder>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace camlog::prefs {
namespace {

std::uint8_t byteAt(const QByteArray &bytes, qsizetype i)
{
    return static_cast<std::uint8_t>(bytes[i]);
}

QString decodeUtf16(const QByteArray &bytes, qsizetype start, bool littleEndian)
{
    QString text;
    const qsizetype units = (bytes.size() - start) / 2;
    text.reserve(units);
    for (qsizetype i = 0; i < units; ++i) {
        const auto a = byteAt(bytes, start + 2 * i);
        const auto b = byteAt(bytes, start + 2 * i + 1);
        const auto unit = littleEndian ? static_cast<char16_t>(a | (b << 8)) : static_cast<char16_t>(b | (a << 8));
        text.append(QChar(unit));
    }
    return text;
}

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<std::uint8_t>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Strict UTF-8 check: the decoder reports overlong forms, surrogates and truncation.
bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    // The decoder's result is lazy: converting it to a string is what runs the decoding.
    [[maybe_unused]] const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        lines.append(text.mid(start));
    }
    return lines;
}

// Without a mark, UTF-16 shows by its zero bytes: the text of a settings file is mostly ASCII,
// whose characters have a zero high byte (the second byte of each unit little-endian, the first
// big-endian). Nothing when the zeros do not fall mostly on one side; 8-bit text holds none.
std::optional<bool> unmarkedUtf16LittleEndian(const QByteArray &bytes)
{
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0')
            ++((i % 2 == 0) ? evenZeros : oddZeros);
    }
    const qsizetype units = bytes.size() / 2;
    if (units == 0)
        return std::nullopt;
    if (oddZeros * 2 > units && evenZeros * 8 < oddZeros)
        return true;
    if (evenZeros * 2 > units && oddZeros * 8 < evenZeros)
        return false;
    return std::nullopt;
}

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    return QString::fromStdString(
        core::Windows1252ToUtf8(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
}

QStringList decodeIniText(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    if (n >= 2 && byteAt(bytes, 0) == 0xFF && byteAt(bytes, 1) == 0xFE) {
        return splitLines(decodeUtf16(bytes, 2, true));
    }
    if (n >= 2 && byteAt(bytes, 0) == 0xFE && byteAt(bytes, 1) == 0xFF) {
        return splitLines(decodeUtf16(bytes, 2, false));
    }
    if (n >= 3 && byteAt(bytes, 0) == 0xEF && byteAt(bytes, 1) == 0xBB && byteAt(bytes, 2) == 0xBF) {
        return splitLines(QString::fromUtf8(bytes.constData() + 3, n - 3));
    }
    if (const std::optional<bool> littleEndian = unmarkedUtf16LittleEndian(bytes)) {
        return splitLines(decodeUtf16(bytes, 0, *littleEndian));
    }
    if (!isAscii(bytes) && isValidUtf8(bytes)) {
        return splitLines(QString::fromUtf8(bytes));
    }
    return splitLines(decodeWindows1252(bytes));
}

QByteArray encodeIniText(const QStringList &lines)
{
    QByteArray bytes;
    qsizetype units = 0;
    for (const QString &line : lines) {
        units += line.size() + 2;
    }
    bytes.reserve(2 + 2 * units);
    bytes.append('\xFF');
    bytes.append('\xFE');
    const auto put = [&bytes](char16_t unit) {
        bytes.append(static_cast<char>(unit & 0xFF));
        bytes.append(static_cast<char>(unit >> 8));
    };
    for (const QString &line : lines) {
        for (const QChar c : line) {
            put(c.unicode());
        }
        put(u'\r');
        put(u'\n');
    }
    return bytes;
}

} // namespace camlog::prefs
