// Settings file text: every encoding read, the one encoding written, line splitting.
#include "prefs/ini_text.h"

#include "prefs_test_env.h"

#include <gtest/gtest.h>

namespace camlog::prefs {
namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values) {
        out.append(static_cast<char>(v));
    }
    return out;
}

struct DecodeCase {
    const char *what;
    QByteArray input;
    QStringList lines;
};

TEST(IniText, DecodesEveryAcceptedEncoding)
{
    const QString accented = QStringLiteral("D\u00E9calage=#@vide\u00A7#");
    const DecodeCase cases[] = {
        {"UTF-16 LE with mark",
         test::utf16leFile(QStringLiteral("[s]\r\n") + accented + QStringLiteral("\r\n")),
         {QStringLiteral("[s]"), accented}},
        {"UTF-16 BE with mark",
         bytes({0xFE, 0xFF, 0x00, 'a', 0x00, '=', 0x00, 0xE9, 0x20, 0xAC}),
         {QStringLiteral("a=\u00E9\u20AC")}},
        {"UTF-8 with mark", bytes({0xEF, 0xBB, 0xBF, 'a', '=', 0xC2, 0xA7}), {QStringLiteral("a=\u00A7")}},
        {"Windows-1252",
         bytes({'D', 0xE9, 'c', '=', 0xA7, 0x80, 0x9F, '\r', '\n'}),
         {QStringLiteral("D\u00E9c=\u00A7\u20AC\u0178")}},
        {"Windows-1252 undefined bytes keep their value",
         bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D}),
         {QStringLiteral("\u0081\u008D\u008F\u0090\u009D")}},
        {"UTF-8 without mark (edited on Linux)",
         QByteArray("D\xC3\xA9"
                    "calage=1"),
         {QStringLiteral("D\u00E9calage=1")}},
        {"plain ASCII", QByteArray("a=1\r\nb=2"), {QStringLiteral("a=1"), QStringLiteral("b=2")}},
        {"UTF-16 with an odd byte count drops the last byte",
         bytes({0xFF, 0xFE, 'a', 0x00, '=', 0x00, '1'}),
         {QStringLiteral("a=")}},
        {"UTF-16 LE without mark",
         test::utf16leFile(QStringLiteral("[s]\r\n") + accented).mid(2),
         {QStringLiteral("[s]"), accented}},
        {"UTF-16 BE without mark",
         bytes({0x00, 'a', 0x00, '=', 0x00, 0xE9, 0x20, 0xAC, 0x00, '\r', 0x00, '\n'}),
         {QStringLiteral("a=\u00E9\u20AC")}},
        {"empty file", QByteArray(), {}},
        {"mark only", bytes({0xFF, 0xFE}), {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(decodeIniText(c.input), c.lines) << c.what;
    }
}

TEST(IniText, SplitsLinesAtCrLfLfAndCr)
{
    const QStringList expected = {QStringLiteral("a"), QStringLiteral(""),  QStringLiteral("b"),
                                  QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("")};
    EXPECT_EQ(decodeIniText(QByteArray("a\r\n\r\nb\nc\rd\n\n")), expected);
    EXPECT_EQ(decodeIniText(QByteArray("x")), QStringList{QStringLiteral("x")});
}

TEST(IniText, WritesUtf16LittleEndianWithMarkAndCrLfAfterEveryLine)
{
    const QStringList lines = {QStringLiteral("[\\S]"), QStringLiteral("k=\u00E9\u20AC")};
    const QByteArray expected = bytes({0xFF, 0xFE, '[', 0,   '\\', 0,    'S', 0,    ']',  0,    '\r', 0,    '\n',
                                       0,    'k',  0,   '=', 0,    0xE9, 0,   0xAC, 0x20, '\r', 0,    '\n', 0});
    EXPECT_EQ(encodeIniText(lines), expected);
    EXPECT_EQ(encodeIniText({}), bytes({0xFF, 0xFE}));
}

TEST(IniText, WrittenTextReadsBackUnchanged)
{
    const QStringList lines = {QStringLiteral("; comment"), QStringLiteral(""), QStringLiteral("[x]"),
                               QStringLiteral("a= spaced "), QString(QChar(0xD83C)) + QChar(0xDFA5)};
    EXPECT_EQ(decodeIniText(encodeIniText(lines)), lines);
}

} // namespace
} // namespace camlog::prefs
