// The RTF document of a copy, byte for byte.
#include "display/CopyFormats.h"

#include "tests/display/TextScreens.h"

#include <gtest/gtest.h>

using namespace qp;
using qp::test::snapshotFromLines;

namespace {

const std::string kHead = "{\\rtf1\\ansi\\ansicpg866 \\deff0\\deflang1049\\deflangfe1049\r\n"
                          "{\\fonttbl{\\f0\\fmodern\\fcharset255\\fprq1 Courier New;}}\r\n";
const std::string kBlackWhite = "\\red0\\green0\\blue0;\\red255\\green255\\blue255;";

std::string document(const std::string& colours, const std::string& format, const std::string& body)
{
    return kHead + "{\\colortbl;" + kBlackWhite + colours + "}\r\n\\pard\\plain\r\n{\\f1" + format + body + "}}";
}

void setAttr(ScreenSnapshot& s, int col, int row, uint16_t attr) { s.wideCells[size_t(row * s.width + col)].attr = attr; }

}  // namespace

TEST(Rtf, OneRowOfGreyOnBlack)
{
    const ScreenSnapshot s = snapshotFromLines(10, 3, {"Hi"});
    EXPECT_EQ(BuildRtfDocument(s, {0, 0, 1, 0}, RtfFont{}),
              document("\\red207\\green207\\blue207;", "\\fs16", "\\cf3 \\chcbpat1 Hi"));
}

TEST(Rtf, EveryRowOfSeveralEndsWithItsParagraph)
{
    const ScreenSnapshot s = snapshotFromLines(10, 3, {"ab", "cd"});
    const std::string row = "\\chcfpat1\\chcbpat2\\cf1\\cb2\\par ";
    EXPECT_EQ(BuildRtfDocument(s, {0, 0, 1, 1}, RtfFont{}),
              document("\\red207\\green207\\blue207;", "\\fs16", "\\cf3 \\chcbpat1 ab" + row + "\\cf3 \\chcbpat1 cd" + row));
}

TEST(Rtf, CharactersAreEscaped)
{
    struct Case {
        char16_t ch;
        std::string rtf;
    } cases[] = {
        {u'\x2500', "\\u9472\\'00"}, {u'{', "\\'7B"},       {u'}', "\\'7D"},       {u'\\', "\\'5C"},
        {u' ', "\\~"},               {u'\x01', "\\'01"},    {u'A', "A"},           {u'\xE9', "\\u233\\'E9"},
        {u'\xFFFD', "\\u-3\\'FD"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RtfCharacter(c.ch), c.rtf) << int(c.ch);
}

TEST(Rtf, ColourWordsOnlyOnChangeAndOneNumberPerColour)
{
    ScreenSnapshot s = snapshotFromLines(10, 1, {"abc"});
    setAttr(s, 0, 0, 0x1F);  // bright white on blue
    setAttr(s, 1, 0, 0x1F);
    setAttr(s, 2, 0, 0xF1);  // blue on bright white
    // White is already number 2; (0, 0, 143) becomes 3; (0, 0, 207) 4.
    EXPECT_EQ(BuildRtfDocument(s, {0, 0, 2, 0}, RtfFont{}),
              document("\\red0\\green0\\blue143;\\red0\\green0\\blue207;", "\\fs16",
                       "\\cf2 \\chcbpat3 ab\\cf4 \\chcbpat2 c"));
}

TEST(Rtf, FontWordsAndTheBlankBeforeALetter)
{
    ScreenSnapshot s = snapshotFromLines(4, 1, {"x"});
    setAttr(s, 0, 0, 0xF0);  // black on white: no colour word comes first
    RtfFont font{"DejaVu Sans Mono", 0, 10, true, true};
    const std::string doc = BuildRtfDocument(s, {0, 0, 0, 0}, font);
    EXPECT_NE(doc.find("\\fcharset0\\fprq1 DejaVu Sans Mono;}}"), std::string::npos);
    EXPECT_NE(doc.find("{\\f1\\fs20\\b\\i x}}"), std::string::npos) << doc;
}

TEST(Rtf, RectanglesOffTheScreenAreClipped)
{
    const ScreenSnapshot s = snapshotFromLines(3, 2, {"abc", "def"});
    const std::string doc = BuildRtfDocument(s, {-5, 1, 99, 1}, RtfFont{});
    EXPECT_NE(doc.find("\\cf3 \\chcbpat1 def}}"), std::string::npos) << doc;
    const std::string none = BuildRtfDocument(s, {10, 10, 20, 10}, RtfFont{});
    EXPECT_EQ(none, document("", "\\fs16", ""));
}
