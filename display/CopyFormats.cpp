#include "CopyFormats.h"

#include "ConsoleColors.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace qp {

namespace {

constexpr const char* kCrLf = "\r\n";

std::string hexByte(unsigned v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\'%02X", v & 0xFF);
    return buf;
}

// Colours in order of first use, black and white first; RTF numbers start at 1.
class ColourList {
public:
    int number(const Rgb& c)
    {
        auto it = std::find(m_colours.begin(), m_colours.end(), c);
        if (it == m_colours.end()) {
            m_colours.push_back(c);
            return int(m_colours.size());
        }
        return int(it - m_colours.begin()) + 1;
    }
    std::string table() const
    {
        std::string s = "{\\colortbl;";
        for (const Rgb& c : m_colours)
            s += "\\red" + std::to_string(c.r) + "\\green" + std::to_string(c.g) + "\\blue" + std::to_string(c.b) + ";";
        return s + "}";
    }

private:
    std::vector<Rgb> m_colours{Rgb{0, 0, 0}, Rgb{255, 255, 255}};
};

bool isAsciiAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

}  // namespace

std::string RtfCharacter(char16_t u)
{
    if (u >= 128) {
        // A reader takes \u's number as a signed 16-bit value; the byte after it is the
        // fallback for readers without Unicode.
        const int n = u > 32767 ? int(u) - 65536 : int(u);
        return "\\u" + std::to_string(n) + hexByte(u);
    }
    if (u < 32 || u == 92 || u == 123 || u == 125)
        return hexByte(u);
    if (u == 32)
        return "\\~";
    return std::string(1, char(u));
}

std::string BuildRtfDocument(const ScreenSnapshot& snapshot, const CellRect& rect, const RtfFont& font)
{
    ColourList colours;
    std::string body;
    const bool multiRow = rect.top != rect.bottom;
    const Rgb black{0, 0, 0};
    const Rgb white{255, 255, 255};
    Rgb fore = black;
    Rgb back = white;
    const int top = std::max(rect.top, 0);
    const int bottom = std::min<int>(rect.bottom, snapshot.height - 1);
    const int left = std::max(rect.left, 0);
    const int right = std::min<int>(rect.right, snapshot.width - 1);
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col) {
            if (snapshot.continuesWide(col, row))
                continue;  // the character was written with its first half
            const ScreenCell& cell = snapshot.wide(col, row);
            const Rgb f = AttrToForeColor(cell.attr);
            const Rgb b = AttrToBackColor(cell.attr);
            if (f != fore) {
                body += "\\cf" + std::to_string(colours.number(f)) + " ";
                fore = f;
            }
            if (b != back) {
                body += "\\chcbpat" + std::to_string(colours.number(b)) + " ";
                back = b;
            }
            std::u16string text;
            if (IsTrailingCell(cell))
                text = u" ";  // an overwritten half
            else
                snapshot.appendCellText(text, size_t(row) * size_t(snapshot.width) + size_t(col));
            for (char16_t unit : text)
                body += RtfCharacter(unit);
        }
        if (multiRow) {
            body += "\\chcfpat1\\chcbpat2\\cf1\\cb2\\par ";
            fore = black;
            back = white;
        }
    }

    std::string doc = "{\\rtf1\\ansi\\ansicpg866 \\deff0\\deflang1049\\deflangfe1049";
    doc += kCrLf;
    doc += "{\\fonttbl{\\f0\\fmodern\\fcharset" + std::to_string(font.charset) + "\\fprq1 " + font.name + ";}}";
    doc += kCrLf;
    doc += colours.table();
    doc += kCrLf;
    doc += "\\pard\\plain";
    doc += kCrLf;
    doc += "{\\f1\\fs" + std::to_string(font.points * 2);
    if (font.bold)
        doc += "\\b";
    if (font.italic)
        doc += "\\i";
    // A letter or digit right after the format words would run into them.
    if (!body.empty() && isAsciiAlnum(body.front()))
        doc += ' ';
    doc += body;
    doc += "}}";
    return doc;
}

}  // namespace qp
