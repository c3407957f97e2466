// UTF-8, UTF-16 and Windows-1252 conversions.
#include "core/text_encoding.h"

#include <gtest/gtest.h>

using namespace camlog::core;

TEST(TextEncoding, Utf8AndUtf16RoundTrip)
{
    const std::string samples[] = {
        "", "plain", "Vidéo d'été", "日本語", "emoji \xF0\x9F\x8E\xA5 camera", "\xEF\xBF\xBD"};
    for (const auto &s : samples)
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s) << s;
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x8E\xA5").size(), 2u); // a surrogate pair
}

TEST(TextEncoding, MalformedInputBecomesReplacementCharacters)
{
    struct Case {
        std::string in;
        std::u16string out;
    };
    const Case cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
        {"\xC3", u"\uFFFD"},                               // truncated sequence
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong slash
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
    };
    for (const auto &c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.in), c.out);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(u"x\xDC00y"), "x\xEF\xBF\xBDy");
}

TEST(TextEncoding, Windows1252)
{
    EXPECT_EQ(Windows1252ToUtf8("caf\xE9 \x80 \x93quoted\x94 \x81"), "café € “quoted” \xC2\x81");
    EXPECT_EQ(Windows1252ToUtf8("ASCII"), "ASCII");
}

TEST(TextEncoding, TruncationNeverSplitsASurrogatePair)
{
    const std::u16string text = u"ab\U0001F3A5c";
    EXPECT_EQ(TruncateUtf16(text, 10), text);
    EXPECT_EQ(TruncateUtf16(text, 4), u"ab\U0001F3A5");
    EXPECT_EQ(TruncateUtf16(text, 3), u"ab");
    EXPECT_EQ(TruncateUtf16(text, 2), u"ab");
    EXPECT_EQ(TruncateUtf16(text, 0), u"");
}

TEST(TextEncoding, Utf16LittleEndianBytes)
{
    const auto bytes = EncodeUtf16Le(u"A\u00E9", true);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xFF, 0xFE, 0x41, 0x00, 0xE9, 0x00}));
    EXPECT_TRUE(HasUtf16LeBom(bytes.data(), bytes.size()));
    EXPECT_EQ(DecodeUtf16Le(bytes.data(), bytes.size()), u"A\u00E9");
    EXPECT_EQ(DecodeUtf16Le(bytes.data() + 2, 3), u"A"); // odd last byte ignored
    EXPECT_EQ(EncodeUtf16Le(u"A", false), (std::vector<std::uint8_t>{0x41, 0x00}));
    EXPECT_FALSE(HasUtf16LeBom(bytes.data(), 1));
}
