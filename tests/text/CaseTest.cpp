#include "text/Case.h"

#include <gtest/gtest.h>

namespace {

using namespace qp::text;

TEST(Case, MappingsAcrossScripts) {
    struct Row {
        char32_t lower, upper;
    } rows[] = {
        {U'a', U'A'},         {U'\u00E9', U'\u00C9'}, {U'\u00FF', U'\u0178'}, {U'\u0101', U'\u0100'},
        {U'\u013A', U'\u0139'}, {U'\u03C3', U'\u03A3'}, {U'\u0430', U'\u0410'}, {U'\u0450', U'\u0400'},
        {U'\u0561', U'\u0531'},  // Armenian, which hand-written tables tend to leave out
        {U'\U00010428', U'\U00010400'},  // Deseret, beyond the BMP
    };
    for (const Row& r : rows) {
        EXPECT_EQ(toUpper(r.lower), r.upper) << std::hex << uint32_t(r.lower);
        EXPECT_EQ(toLower(r.upper), r.lower) << std::hex << uint32_t(r.upper);
        EXPECT_EQ(foldCase(r.upper), foldCase(r.lower)) << std::hex << uint32_t(r.upper);
    }
}

TEST(Case, OneCharacterStaysOne) {
    EXPECT_EQ(toUpper(U'\u00DF'), U'\u00DF');   // "ß" has no one-character capital here
    EXPECT_EQ(foldCase(U'\u00DF'), U'\u00DF');  // folding would expand it to "ss"
    EXPECT_EQ(foldCase(U'\u1E9E'), U'\u00DF');  // the capital sharp s folds to ß
    EXPECT_EQ(foldCase(U'\u03C2'), foldCase(U'\u03A3'));  // final sigma
    EXPECT_EQ(toUpper(U'1'), U'1');
    EXPECT_EQ(toLower(U'\u4E2D'), U'\u4E2D');
}

TEST(Case, NoCharacterMapsToItself) {
    for (char32_t c : {char32_t(0xD800), char32_t(0xDFFF), char32_t(0x110000), char32_t(0xFFFFFFFF)}) {
        EXPECT_EQ(toUpper(c), c);
        EXPECT_EQ(toLower(c), c);
        EXPECT_EQ(foldCase(c), c);
    }
    EXPECT_EQ(toUpper(char16_t(0xD801)), char16_t(0xD801));
}

// UTF-16 units: every unit maps to a unit, and a mapping beyond the BMP is not taken.
TEST(Case, UnitsStayUnits) {
    EXPECT_EQ(toUpper(u'\u0430'), u'\u0410');
    EXPECT_EQ(toLower(u'\u0178'), u'\u00FF');
    for (char32_t c = 0; c < 0x10000; ++c) {
        const char16_t u = char16_t(c);
        const char16_t upper = toUpper(u), lower = toLower(u), folded = foldCase(u);
        if (c >= 0xD800 && c <= 0xDFFF) {
            ASSERT_EQ(upper, u);
            ASSERT_EQ(lower, u);
            ASSERT_EQ(folded, u);
        }
        ASSERT_EQ(foldCase(folded), folded) << std::hex << uint32_t(c);  // folding is idempotent
    }
}

TEST(Case, EqualsNoCase) {
    EXPECT_TRUE(equalsNoCase(u"Console", u"CONSOLE"));
    EXPECT_TRUE(equalsNoCase(u"\u00E9t\u00E9", u"\u00C9T\u00C9"));
    EXPECT_TRUE(equalsNoCase(u"\u0391\u03B2\u03B3", u"\u03B1\u0392\u0393"));
    EXPECT_TRUE(equalsNoCase(u"", u""));
    EXPECT_FALSE(equalsNoCase(u"abc", u"abd"));
    EXPECT_FALSE(equalsNoCase(u"abc", u"abcd"));
    EXPECT_FALSE(equalsNoCase(u"stra\u00DFe", u"STRASSE"));  // lengths differ: no expansion
    EXPECT_TRUE(equalsNoCase(u"\xD800", u"\xD800"));
    EXPECT_FALSE(equalsNoCase(u"\xD800", u"\xD801"));
}

}  // namespace
