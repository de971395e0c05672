#pragma once
// Builds screen snapshots from lines of UTF-8 text, the way the console fills them: blanks
// everywhere else, UTF-16 in the wide cells and the OEM byte in the OEM cells.

#include "console/Codepage.h"
#include "console/ScreenTypes.h"

#include <string>
#include <vector>

namespace qp::test {

inline ScreenSnapshot snapshotFromLines(int width, int height, const std::vector<std::string>& lines) {
    ScreenSnapshot s;
    s.width = int16_t(width);
    s.height = int16_t(height);
    const size_t count = size_t(width) * size_t(height) + 1;
    s.wideCells.assign(count, ScreenCell{u' ', 0x07});
    s.oemCells.assign(count, ScreenCell{u' ', 0x07});
    s.wideCells.back() = s.oemCells.back() = ScreenCell{};
    for (size_t row = 0; row < lines.size() && int(row) < height; ++row) {
        const std::u16string text = AnsiToUtf16(lines[row]);
        for (size_t col = 0; col < text.size() && int(col) < width; ++col) {
            const size_t i = row * size_t(width) + col;
            s.wideCells[i].ch = text[col];
            s.oemCells[i].ch = Utf16ToOem(text[col]);
        }
    }
    return s;
}

// Draws a frame into lines (1-based rectangle, as the frame detection reports it).
// corners: the four corner characters, top-left, top-right, bottom-left, bottom-right.
inline void drawFrame(std::vector<std::string>& lines, int left, int top, int right, int bottom,
                      const std::u16string& corners = u"┌┐└┘") {
    auto put = [&](int col, int row, char16_t ch) {
        std::u16string line = AnsiToUtf16(lines[size_t(row - 1)]);
        if (line.size() < size_t(col))
            line.resize(size_t(col), u' ');
        line[size_t(col - 1)] = ch;
        lines[size_t(row - 1)] = Utf16ToAnsi(line);
    };
    if (lines.size() < size_t(bottom))
        lines.resize(size_t(bottom));
    for (int c = left + 1; c < right; ++c) {
        put(c, top, u'─');
        put(c, bottom, u'─');
    }
    for (int r = top + 1; r < bottom; ++r) {
        put(left, r, u'│');
        put(right, r, u'│');
    }
    put(left, top, corners[0]);
    put(right, top, corners[1]);
    put(left, bottom, corners[2]);
    put(right, bottom, corners[3]);
}

}  // namespace qp::test
