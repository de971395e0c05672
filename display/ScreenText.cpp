#include "ScreenText.h"

#include "Codepage.h"
#include "HostedConsole.h"

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

template <typename Text, typename CharOf>
Text readRect(const ScreenSnapshot& s, const std::vector<ScreenCell>& cells, const CellRect& r,
              std::basic_string_view<typename Text::value_type> separator, CharOf charOf) {
    Text result;
    const ClippedRect c = clipToSnapshot(s, cells, r);
    const bool severalRows = r.top != r.bottom;
    for (int64_t row = c.firstRow; row < c.endRow; ++row) {
        Text line;
        for (int64_t col = c.firstCol; col < c.endCol; ++col)
            line.push_back(charOf(cells[size_t(row * s.width + col)]));
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
                                    [](const ScreenCell& cell) { return char16_t(cell.ch); });
}

std::u16string ReadRectText(const ScreenSnapshot& snapshot, const CellRect& rect,
                            std::u16string_view separator) {
    return AnsiToUtf16(Utf16ToAnsi(ReadRectTextWide(snapshot, rect, separator)));
}

std::string ReadRectTextAnsi(const ScreenSnapshot& snapshot, const CellRect& rect,
                             std::string_view separator) {
    return readRect<std::string>(snapshot, snapshot.oemCells, rect, separator,
                                 [](const ScreenCell& cell) { return char(cell.ch & 0xFF); });
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
