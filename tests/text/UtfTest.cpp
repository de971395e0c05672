#include "text/Utf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace qp::text;

constexpr char16_t R = u'\uFFFD';

// Every ill-formed byte is one U+FFFD and decoding resumes at the next byte.
struct HostileUtf8 {
    const char* name;
    std::string bytes;
    std::u16string expected;
};

class HostileUtf8Table : public ::testing::TestWithParam<HostileUtf8> {};

TEST_P(HostileUtf8Table, DecodesToReplacementsOneABadByte) {
    const HostileUtf8& row = GetParam();
    EXPECT_EQ(utf8ToUtf16(row.bytes), row.expected);
    // The character walk agrees with the whole-text conversion and always advances.
    std::u16string walked;
    for (size_t pos = 0; pos < row.bytes.size();) {
        const size_t before = pos;
        appendUtf16(walked, decodeUtf8(row.bytes, pos));
        ASSERT_GT(pos, before);
        ASSERT_LE(pos, row.bytes.size());
    }
    EXPECT_EQ(walked, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, HostileUtf8Table,
    ::testing::Values(
        HostileUtf8{"StrayContinuation", "a\x80" "b", {u'a', R, u'b'}},
        HostileUtf8{"BytesThatNeverStartASequence", "\xC0\xC1\xF5\xFF", {R, R, R, R}},
        HostileUtf8{"OverlongSlash", "\xC0\xAF", {R, R}},
        HostileUtf8{"OverlongThreeBytes", "\xE0\x80\xAF", {R, R, R}},
        HostileUtf8{"OverlongFourBytes", "\xF0\x80\x80\xAF", {R, R, R, R}},
        HostileUtf8{"EncodedHighSurrogate", "\xED\xA0\x80", {R, R, R}},
        HostileUtf8{"EncodedLowSurrogate", "\xED\xBF\xBF", {R, R, R}},
        HostileUtf8{"BeyondU10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
        HostileUtf8{"TruncatedAtTheEnd", "cut \xE2\x82", {u'c', u'u', u't', u' ', R, R}},
        HostileUtf8{"TruncatedByAnAsciiByte", "\xF0\x9F\x98" "A", {R, R, R, u'A'}},
        HostileUtf8{"LeadByteAlone", "\xE2", {R}},
        HostileUtf8{"NulIsACharacter", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        HostileUtf8{"LimitsOfEachLength", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
                    u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Text, SequenceLengthIsZeroWhereNoCharacterStarts) {
    EXPECT_EQ(utf8SequenceLength("\xE2\x82\xAC", 0), 3u);
    EXPECT_EQ(utf8SequenceLength("\xE2\x82\xAC", 1), 0u);  // inside the character
    EXPECT_EQ(utf8SequenceLength("ab", 2), 0u);            // at the end
    EXPECT_EQ(utf8SequenceLength("ab", 99), 0u);
    EXPECT_EQ(utf8SequenceLength("\xED\x9F\xBF", 0), 3u);  // U+D7FF, just below the surrogates
    EXPECT_EQ(utf8SequenceLength("\xEE\x80\x80", 0), 3u);  // U+E000, just above them
}

TEST(Text, LoneSurrogatesInUtf16BecomeReplacements) {
    EXPECT_EQ(utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");                  // high, then no low
    EXPECT_EQ(utf16ToUtf8(u"x\xDC00"), "x\xEF\xBF\xBD");                  // low alone
    EXPECT_EQ(utf16ToUtf8(u"\xDC00\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // a pair the wrong way round
    EXPECT_EQ(utf16ToUtf8(u"\xD800\xD800\xDC00"), "\xEF\xBF\xBD\xF0\x90\x80\x80");
    EXPECT_EQ(utf16ToUtf32(u"\xD83D\xDE00\xD83D"), (std::u32string{U'\U0001F600', U'\uFFFD'}));
}

TEST(Text, CodePointsThatAreNoCharacterEncodeAsReplacements) {
    std::string utf8;
    for (char32_t c : {char32_t(0xD800), char32_t(0xDFFF), char32_t(0x110000), char32_t(0xFFFFFFFF)}) {
        appendUtf8(utf8, c);
        char16_t units[2];
        ASSERT_EQ(encodeUtf16(c, units), 1u);
        EXPECT_EQ(units[0], R);
    }
    EXPECT_EQ(utf8, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(utf32ToUtf16(U"\U0010FFFF"), u"\U0010FFFF");
}

// Well-formed text survives every conversion unchanged: each boundary of each length, and
// every 1024th code point of all the planes.
TEST(Text, WellFormedTextRoundTrips) {
    std::u32string all = {0, 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFD, 0xFFFF, 0x10000, 0x10FFFF};
    for (char32_t c = 1; c <= 0x10FFFF; c += 1024)
        if (isScalarValue(c))
            all.push_back(c);
    const std::u16string utf16 = utf32ToUtf16(all);
    const std::string utf8 = utf16ToUtf8(utf16);
    EXPECT_EQ(utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(utf16ToUtf32(utf16), all);
    std::string direct;
    for (char32_t c : all)
        appendUtf8(direct, c);
    EXPECT_EQ(direct, utf8);
}

// Whatever the bytes, the result is well-formed, so a second pass changes nothing.
TEST(Text, AnyBytesGiveWellFormedText) {
    std::string bytes;
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245 + 12345;
        bytes += char(seed >> 16);
    }
    const std::u16string once = utf8ToUtf16(bytes);
    const std::string back = utf16ToUtf8(once);
    EXPECT_EQ(utf8ToUtf16(back), once);
    EXPECT_EQ(utf16ToUtf8(once), back);
    for (size_t pos = 0; pos < once.size(); ++pos) {
        if (isHighSurrogate(once[pos])) {
            ASSERT_TRUE(pos + 1 < once.size() && isLowSurrogate(once[++pos]));
        } else {
            ASSERT_FALSE(isLowSurrogate(once[pos]));
        }
    }
}

}  // namespace
