#include "ScreenText.h"

#include "console/Codepage.h"
#include "console/HostedConsole.h"

#include <algorithm>
#include <cstdint>

namespace qp {

namespace {

// The part of a rectangle that lies on the snapshot, as half-open ranges.
struct ClippedRect {
    int64_t firstRow = 0, endRow = 0, firstCol = 0, endCol = 0;
};

ClippedRect clipToSnapshot(const ScreenSnapshot& s, const std::vector<ScreenCell>& cells,
                           const CellRect& r) {
    // A snapshot whose arrays are shorter than its size says is read only as far as they go.
    int64_t width = std::max<int64_t>(s.width, 0);
    int64_t height = std::max<int64_t>(s.height, 0);
    if (width > 0)
        height = std::min<int64_t>(height, int64_t(cells.size()) / width);
    ClippedRect c;
    c.firstRow = std::max<int64_t>(r.top, 0);
    c.endRow = std::min<int64_t>(int64_t(r.bottom) + 1, height);
    c.firstCol = std::max<int64_t>(r.left, 0);
    c.endCol = std::min<int64_t>(int64_t(r.right) + 1, width);
    return c;
}

// The rows of the rectangle, each right-trimmed, with the separator after every row when the
// rectangle spans several. The second half of a wide character is not read (the character
// is read whole from its first half); `appendCell` adds one cell's text to a row.
template <typename Text, typename AppendCell>
Text readRect(const ScreenSnapshot& s, const std::vector<ScreenCell>& cells, const CellRect& r,
              std::basic_string_view<typename Text::value_type> separator, AppendCell appendCell) {
    Text result;
    const ClippedRect c = clipToSnapshot(s, cells, r);
    const bool severalRows = r.top != r.bottom;
    const bool wideCellsRead = s.wideCells.size() == cells.size();
    for (int64_t row = c.firstRow; row < c.endRow; ++row) {
        Text line;
        for (int64_t col = c.firstCol; col < c.endCol; ++col) {
            if (wideCellsRead && s.continuesWide(int(col), int(row)))
                continue;
            appendCell(line, size_t(row * s.width + col));
        }
        while (!line.empty() && uint32_t(std::make_unsigned_t<typename Text::value_type>(line.back())) <= 32)
            line.pop_back();
        result += line;
        if (severalRows)
            result += separator;
    }
    return result;
}

}  // namespace

std::u16string ReadRectTextWide(const ScreenSnapshot& snapshot, const CellRect& rect,
                                std::u16string_view separator) {
    return readRect<std::u16string>(snapshot, snapshot.wideCells, rect, separator,
                                    [&](std::u16string& line, size_t index) {
                                        if (IsTrailingCell(snapshot.wideCells[index]))
                                            line += u' ';  // an overwritten half
                                        else
                                            snapshot.appendCellText(line, index);
                                    });
}

std::u16string ReadRectText(const ScreenSnapshot& snapshot, const CellRect& rect,
                            std::u16string_view separator) {
    return AnsiToUtf16(Utf16ToAnsi(ReadRectTextWide(snapshot, rect, separator)));
}

std::string ReadRectTextAnsi(const ScreenSnapshot& snapshot, const CellRect& rect,
                             std::string_view separator) {
    return readRect<std::string>(snapshot, snapshot.oemCells, rect, separator,
                                 [&](std::string& line, size_t index) { line += char(snapshot.oemCells[index].ch & 0xFF); });
}

std::u16string ReadRectTextWide(HostedConsole& console, const CellRect& rect,
                                std::u16string_view separator) {
    return ReadRectTextWide(*console.takeSnapshot(), rect, separator);
}

std::u16string ReadRectText(HostedConsole& console, const CellRect& rect,
                            std::u16string_view separator) {
    return ReadRectText(*console.takeSnapshot(), rect, separator);
}

std::string ReadRectTextAnsi(HostedConsole& console, const CellRect& rect,
                             std::string_view separator) {
    return ReadRectTextAnsi(*console.takeSnapshot(), rect, separator);
}

int32_t TextEndColumn(const ScreenSnapshot& snapshot, int32_t x, int32_t y, size_t units) {
    const int64_t byUnits = std::clamp<int64_t>(int64_t(x) + int64_t(units) - 1, INT32_MIN, INT32_MAX);
    const bool readable = snapshot.width > 0 &&
                          snapshot.wideCells.size() >= size_t(snapshot.width) * size_t(std::max<int16_t>(snapshot.height, 0));
    if (units == 0 || !readable || !snapshot.contains(x, y))
        return int32_t(byUnits);
    size_t seen = 0;
    for (int32_t col = x; col < snapshot.width; ++col) {
        if (!snapshot.continuesWide(col, y)) {
            const size_t index = size_t(y) * size_t(snapshot.width) + size_t(col);
            const CellCluster* cluster = snapshot.clusterAt(index);
            seen += cluster ? cluster->text.size() : 1;
        }
        if (seen >= units) {
            // The second half of a wide character belongs to the text too.
            return col + 1 < snapshot.width && snapshot.continuesWide(col + 1, y) ? col + 1 : col;
        }
    }
    // The row ends first: the units still missing count one cell each beyond it.
    return int32_t(std::min<int64_t>(int64_t(snapshot.width) - 1 + int64_t(units - seen), INT32_MAX));
}

std::string ScreenAsText(const ScreenSnapshot& snapshot) {
    std::string text;
    for (int row = 0; row < snapshot.height; ++row) {
        const CellRect line{0, row, snapshot.width - 1, row};
        std::u16string wide = ReadRectTextWide(snapshot, line, u"");
        std::replace(wide.begin(), wide.end(), u'\0', u' ');  // never-written cells
        text += Utf16ToAnsi(wide);
        text += '\n';
    }
    return text;
}

}  // namespace qp
