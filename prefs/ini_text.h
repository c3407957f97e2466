// The bytes of a settings file and its lines: the encodings read and the one encoding written.
#pragma once

#include <QByteArray>
#include <QStringList>

namespace camlog::prefs {

// Lines of a settings file. Recognised by their byte-order mark: UTF-16 LE, UTF-16 BE and
// UTF-8. Without a mark, a text whose zero bytes fall on one side of most 16-bit units is
// UTF-16 of that order (a file saved by a tool that writes no mark); otherwise the text is
// 8-bit: valid UTF-8 that is not plain ASCII is read as
// UTF-8 (a file edited by hand on Linux), anything else as Windows-1252 (the files written
// by the Windows program in "ANSI"). A UTF-16 text with an odd byte count loses the last
// byte. Lines end at CR LF, LF or CR; a line end at the very end makes no empty last line.
// Never fails: any bytes give some lines.
QStringList decodeIniText(const QByteArray &bytes);

// UTF-16 LE with the byte-order mark FF FE, every line followed by CR LF (the last one too).
QByteArray encodeIniText(const QStringList &lines);

// Windows-1252 decoding of one byte string; the five undefined bytes map to the C1
// control characters of the same value, so every byte survives a round trip.
QString decodeWindows1252(const QByteArray &bytes);

} // namespace camlog::prefs
