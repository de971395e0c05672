// The ANSI and OEM code pages through iconv.

#include "console/Codepage.h"

#include <gtest/gtest.h>

using namespace qp;

TEST(Codepage, Oem437Bytes)
{
    const OemCodepage cp("CP437");
    struct Case {
        char16_t ch;
        unsigned char byte;
    };
    const Case cases[] = {
        {u'A', 'A'},     {u' ', ' '},     {0, 0},          {u'\u250C', 0xDA}, {u'\u2500', 0xC4},
        {u'\u2550', 0xCD}, {u'\u2591', 0xB0}, {u'\u00E9', 0x82}, {u'\u00C7', 0x80}, {u'\u20AC', '?'},
        {u'\u6F22', '?'}, {0xFFFD, '?'},  {0xD800, '?'},   {u'\u00A0', 0xFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp.fromUtf16(c.ch), c.byte) << std::hex << int(c.ch);
}

TEST(Codepage, OtherOemCodePageAndUnknownName)
{
    const OemCodepage cyrillic("CP866");
    EXPECT_EQ(cyrillic.fromUtf16(u'\u0416'), 0x86);  // Zhe
    EXPECT_EQ(cyrillic.fromUtf16(u'\u00E9'), '?');
    const OemCodepage unknown("NO-SUCH-CODEPAGE");
    EXPECT_EQ(unknown.fromUtf16(u'A'), 'A');
    EXPECT_EQ(unknown.fromUtf16(u'\u00E9'), '?');
}

TEST(Codepage, OemCharsetFollowsTheEnvironment)
{
    setenv("PALLANT_OEMCP", "866", 1);
    EXPECT_EQ(OemCharset(), "CP866");
    setenv("PALLANT_OEMCP", "nonsense", 1);
    EXPECT_EQ(OemCharset(), "CP437");
    unsetenv("PALLANT_OEMCP");
    EXPECT_EQ(OemCharset(), "CP437");
}

TEST(Codepage, AnsiIsUtf8HereAndConvertsBothWays)
{
    EXPECT_TRUE(AnsiIsUtf8());  // the C locale counts as UTF-8
    EXPECT_EQ(AnsiToUtf16("caf\xc3\xa9 \xe2\x82\xac"), u"caf\u00E9 \u20AC");
    EXPECT_EQ(AnsiToUtf16("bad \xff byte"), u"bad \uFFFD byte");
    EXPECT_EQ(AnsiToUtf16("cut \xe2\x82"), u"cut \uFFFD\uFFFD");
    EXPECT_EQ(AnsiToUtf16("\xf0\x9f\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf16ToAnsi(u"caf\u00E9"), "caf\xc3\xa9");
    EXPECT_EQ(Utf16ToAnsi(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(AnsiCharacters("a\xc3\xa9"), u"a\u00E9");
    EXPECT_EQ(Utf8ToAnsi("x\xc3\xa9"), "x\xc3\xa9");
    EXPECT_EQ(AnsiToUtf8("x\xc3\xa9"), "x\xc3\xa9");
}

TEST(Codepage, OemAndAnsiTexts)
{
    unsetenv("PALLANT_OEMCP");
    EXPECT_EQ(OemToAnsi("\xda\xc4\xbf caf\x82"), "\xe2\x94\x8c\xe2\x94\x80\xe2\x94\x90 caf\xc3\xa9");
    EXPECT_EQ(AnsiToOem("\xe2\x94\x8c caf\xc3\xa9 \xe2\x82\xac"), "\xda caf\x82 ?");
    EXPECT_EQ(ConvertCharset("abc", "NO-SUCH", "UTF-8"), "abc");
    EXPECT_EQ(ConvertCharset("x\xc3\xa9", "UTF-8", "ASCII", "*"), "x*");
}

// Converters are kept open per thread: each use starts from the initial shift state, and
// more charsets than are kept, one after the other, all still convert.
TEST(Codepage, KeptConvertersStartAfreshEachTime)
{
    const std::string kanji = "\xe6\xbc\xa2";
    const std::string once = ConvertCharset(kanji, "UTF-8", "ISO-2022-JP");
    ASSERT_EQ(once, "\x1b$B4A\x1b(B");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ConvertCharset(kanji, "UTF-8", "ISO-2022-JP"), once);
    EXPECT_EQ(ConvertCharset(once, "ISO-2022-JP", "UTF-8"), kanji);
    // A text that ends shifted must not leave the next one shifted.
    EXPECT_EQ(ConvertCharset("\x1b$B4A", "ISO-2022-JP", "UTF-8"), kanji);
    EXPECT_EQ(ConvertCharset("4A", "ISO-2022-JP", "UTF-8"), "4A");
    const char* sets[] = {"CP437", "CP850", "CP860", "CP1252", "ISO-8859-1", "ISO-8859-15", "CP1250", "CP437", "MACINTOSH", "CP852"};
    for (int round = 0; round < 2; ++round)
        for (const char* set : sets)
            EXPECT_EQ(ConvertCharset(ConvertCharset("caf\xc3\xa9", "UTF-8", set), set, "UTF-8"), "caf\xc3\xa9") << set;
}
