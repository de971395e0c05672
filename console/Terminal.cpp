#include "Terminal.h"

#include "CharWidth.h"
#include "VtParserImpl.h"
#include "text/Utf.h"

#include <algorithm>
#include <cstdio>

namespace qp {

namespace {

// DEC special graphics for 0x60-0x7E.
constexpr char32_t kDecGraphics[31] = {
    0x25C6, 0x2592, 0x2409, 0x240C, 0x240D, 0x240A, 0x00B0, 0x00B1, 0x2424, 0x240B, 0x2518,
    0x2510, 0x250C, 0x2514, 0x253C, 0x23BA, 0x23BB, 0x2500, 0x23BC, 0x23BD, 0x251C, 0x2524,
    0x2534, 0x252C, 0x2502, 0x2264, 0x2265, 0x03C0, 0x2260, 0x00A3, 0x00B7,
};

constexpr int key(char intermediate, char leader, char final)
{
    return (static_cast<unsigned char>(intermediate) << 16) | (static_cast<unsigned char>(leader) << 8) |
           static_cast<unsigned char>(final);
}

// A count for cursor moves and edits: large enough to cross any screen, small enough that
// arithmetic on it never overflows.
constexpr int32_t kBound = 65535;
int bounded(int32_t n) { return std::clamp<int32_t>(n, -kBound, kBound); }

}  // namespace

Terminal::Terminal(int cols, int rows) : m_model(cols, rows), m_parser(*this)
{
    reset(true);
}

void Terminal::write(std::string_view bytes)
{
    m_parser.write(bytes);
    syncCursor();
}

std::string Terminal::takeOutput()
{
    std::string out;
    out.swap(m_output);
    return out;
}

bool Terminal::takeTitleChanged()
{
    const bool changed = m_titleChanged;
    m_titleChanged = false;
    return changed;
}

// --- text ---------------------------------------------------------------------------

char32_t Terminal::mapCharset(char c) const
{
    const Charset set = m_charsets[size_t(m_singleShift ? m_singleShift : m_gl)];
    if (set == Charset::DecGraphics && c >= 0x60 && c <= 0x7E)
        return kDecGraphics[c - 0x60];
    if (set == Charset::Uk && c == '#')
        return 0x00A3;
    return char32_t(static_cast<unsigned char>(c));
}

// A run that fits before the right margin, in the usual state: its cells, the row's
// bookkeeping and the cursor's move in one place.
void Terminal::printAsciiInRow(const char* text, int length)
{
    if (unsigned(m_row) >= unsigned(rows()) || m_col < 0) [[unlikely]] {
        m_model.putRun(m_row, m_col, text, length, m_pen.attribute);  // leaves such a cursor's cells alone
        ranOver(char32_t(static_cast<unsigned char>(text[length - 1])), length);
        return;
    }
    const int first = m_col;
    const int last = first + length - 1;
    ScreenCell* cells = m_model.plainTextRow(m_row, first, last);
    if (cells == nullptr) [[unlikely]] {
        printAsciiOverHalves(text, length);
        return;
    }
    cellops::fromBytes(cells + first, text, length, uint16_t(m_pen.attribute & ~kCellHalves));
    m_model.textTouched(m_row);
    ranOverInRow(static_cast<unsigned char>(text[length - 1]), last);
}

// The same where the run cuts a wide character or the row has clusters (out of line, so
// that the usual case saves no registers).
[[gnu::noinline]] void Terminal::printAsciiOverHalves(const char* text, int length)
{
    m_model.putRun(m_row, m_col, text, length, m_pen.attribute);
    ranOverInRow(static_cast<unsigned char>(text[length - 1]), m_col + length - 1);
}

// After a run ending at `last`, short of the right margin.
void Terminal::ranOverInRow(char32_t lastChar, int last)
{
    m_glyph[0] = lastChar;
    m_glyphChars = 1;
    m_glyphWidth = 1;
    m_glyphRow = m_row;
    m_glyphCol = last;
    m_col = last + 1;
}

void Terminal::printAsciiAnywhere(const char* text, size_t length)
{
    size_t i = 0;
    while (i < length) {
        if (!m_plainAscii || m_insert) {
            const char32_t c = mapCharset(text[i++]);
            if (m_singleShift) {
                m_singleShift = 0;
                m_plainAscii = m_charsets[size_t(m_gl)] == Charset::Ascii;
            }
            putGlyph(&c, 1, 1);
            continue;
        }
        if (m_pendingWrap) {
            linefeed();
            m_col = 0;
            m_pendingWrap = false;
        }
        const int room = cols() - m_col;
        if (!m_autowrap && room == 1 && length - i > 1)
            i = length - 1;  // each would overwrite the last column: only the last shows
        const int n = int(std::min<size_t>(length - i, size_t(room)));
        m_model.putRun(m_row, m_col, text + i, n, m_pen.attribute);
        i += size_t(n);
        ranOver(char32_t(static_cast<unsigned char>(text[i - 1])), n);
    }
}

// After a run of n cells put at the cursor, ending with a character of lastWidth columns
// (1, or 2 when the run stops short of the margin): the last is the glyph a mark or REP
// refers to, and the cursor moves past the run (or waits at the margin to wrap).
void Terminal::ranOver(char32_t last, int n, int lastWidth)
{
    m_glyph[0] = last;
    m_glyphChars = 1;
    m_glyphWidth = lastWidth;
    m_glyphRow = m_row;
    m_glyphCol = m_col + n - lastWidth;
    if (m_col + n >= cols()) {
        m_col = cols() - 1;
        m_pendingWrap = m_autowrap;
    } else {
        m_col += n;
    }
}

void Terminal::printText(const char32_t* chars, size_t length)
{
    size_t i = 0;
    while (i < length) {
        const char32_t c = chars[i];
        const int width = CharWidth(c);
        if (width == 0) {
            combine(c);
            ++i;
            continue;
        }
        if (m_singleShift) {
            m_singleShift = 0;
            m_plainAscii = m_charsets[size_t(m_gl)] == Charset::Ascii;
        }
        if (width != 1 || c > 0xFFFF || m_insert || m_pendingWrap || !m_autowrap ||
            unsigned(m_row) >= unsigned(rows()) || unsigned(m_col) >= unsigned(cols())) {
            putGlyph(&c, 1, width);
            ++i;
            continue;
        }
        // A run of one-column characters, each one UTF-16 unit, goes into the row's cells at
        // once, up to the right margin; a run of one is the same as putGlyph, with less on
        // the way.
        const char32_t* run = chars + i;
        const size_t room = std::min(size_t(cols() - m_col), length - i);
        size_t n = 1;
        while (n < room && run[n] <= 0xFFFF && CharWidth(run[n]) == 1)
            ++n;
        if (i + n < length && CharWidth(run[n]) == 0 && n > 1)
            --n;  // the last one takes a mark: put it on its own
        const int first = m_col;
        const int last = first + int(n) - 1;
        ScreenCell* cells = m_model.textRow(m_row, first);
        const ScreenCell lastBefore = cells[last];
        const uint16_t attr = uint16_t(m_pen.attribute & ~kCellHalves);
        for (size_t k = 0; k < n; ++k)
            cells[first + int(k)] = {char16_t(run[k]), attr};
        m_model.textWritten(m_row, first, last, lastBefore);
        i += n;
        ranOver(run[n - 1], int(n));
    }
}

// In the usual state (ASCII character sets, no insert mode, autowrap) text goes straight
// into the cells of the cursor's row: printable ASCII sixteen bytes a step, each whole
// character decoded into its cell, or its two cells when wide. The row's bookkeeping (the
// wide characters cut at the run's ends, its clusters, its version) is done once per row,
// not per piece. A mark, or a wide character that would reach the margin, stops the row's
// run and goes the general way.
const unsigned char* Terminal::printRun(const unsigned char* p, const unsigned char* ascii, const unsigned char* end)
{
    if (!m_plainAscii || m_insert || !m_autowrap || unsigned(m_row) >= unsigned(rows()) ||
        unsigned(m_col) >= unsigned(cols()))
        return p;
    const int width = cols();
    const uint16_t attr = uint16_t(m_pen.attribute & ~kCellHalves);
    while (p < end) {
        // The next character decides whether a run starts here (after a pending wrap).
        if (!vt::isPrintable(*p)) {
            char16_t unit = 0;
            const int length = *p >= 0xC0 ? vt::wholeChar(p, end, unit) : 0;
            if (length == 0)
                break;
            const int columns = CharWidth(unit);
            if (columns != 1 && (columns != 2 || (m_pendingWrap ? 0 : m_col) + 2 >= width)) {
                p += length;
                const char32_t c = unit;
                if (columns == 0)
                    combine(c);
                else
                    putGlyph(&c, 1, columns);
                continue;
            }
        }
        if (m_pendingWrap) {
            linefeed();
            m_col = 0;
            m_pendingWrap = false;
        }
        const int first = m_col;
        ScreenCell* const cells = m_model.textRow(m_row, first);
        int col = first;
        ScreenCell lastBefore{};  // what the run's last cell held
        char16_t last = 0;
        int lastWidth = 1;
        do {
            if (vt::isPrintable(*p)) {
                // The parser found where the first piece of ASCII ends.
                const unsigned char* room = p + (width - col);
                const unsigned char* stop =
                    p < ascii ? std::min(ascii, room) : vt::printableEnd(p, std::min(end, room));
                const int n = int(stop - p);
                lastBefore = cells[col + n - 1];
                cellops::fromBytes(cells + col, reinterpret_cast<const char*>(p), n, attr);
                col += n;
                p = stop;
                last = p[-1];
                lastWidth = 1;
                continue;
            }
            char16_t unit = 0;
            const int length = *p >= 0xC0 ? vt::wholeChar(p, end, unit) : 0;
            if (length == 0)
                break;
            const int columns = CharWidth(unit);
            if (columns == 1) {
                lastBefore = cells[col];
                cells[col++] = {unit, attr};
            } else if (columns == 2 && col + 2 < width) {
                lastBefore = cells[col + 1];
                cells[col] = {unit, uint16_t(attr | kLeadingCell)};
                cells[col + 1] = {unit, uint16_t(attr | kTrailingCell)};
                col += 2;
            } else {
                break;
            }
            last = unit;
            lastWidth = columns;
            p += length;
        } while (col < width && p < end);
        m_model.textWritten(m_row, first, col - 1, lastBefore);
        ranOver(last, col - first, lastWidth);
    }
    return p;
}

// A mark joins the last glyph while the cursor still stands just after it (or on it, at
// the right margin); with no such glyph it has nothing to join and is dropped.
void Terminal::combine(char32_t mark)
{
    if (m_glyphWidth == 0 || m_row != m_glyphRow)
        return;
    const bool after = m_col == m_glyphCol + m_glyphWidth;
    const bool atMargin = m_col == m_glyphCol && (m_pendingWrap || m_glyphCol + m_glyphWidth >= cols());
    if (!after && !atMargin)
        return;
    if (m_glyphChars < m_glyph.size())
        m_glyph[m_glyphChars++] = mark;
    writeCell(m_glyphRow, m_glyphCol, m_glyph.data(), m_glyphChars, m_glyphWidth);
}

void Terminal::putGlyph(const char32_t* chars, size_t count, int width)
{
    if (m_pendingWrap || m_col + width > cols()) {
        linefeed();
        m_col = 0;
        m_pendingWrap = false;
    }
    if (m_insert)
        scrollRect(m_row, m_row + 1, m_col, cols(), 0, -1);
    writeCell(m_row, m_col, chars, count, width);
    m_glyphChars = std::min(count, m_glyph.size());
    for (size_t i = 0; i < m_glyphChars; ++i)  // one character, nearly always: no memmove
        m_glyph[i] = chars[i];
    m_glyphWidth = width;
    m_glyphRow = m_row;
    m_glyphCol = m_col;
    if (m_col + width >= cols())
        m_pendingWrap = m_autowrap;
    else
        m_col += width;
}

void Terminal::writeCell(int row, int col, const char32_t* chars, size_t count, int width)
{
    if (count == 1 && (chars[0] < 0xD800 || (chars[0] >= 0xE000 && chars[0] <= 0xFFFF))) {
        const char16_t unit = char16_t(chars[0]);  // one UTF-16 unit: most glyphs
        m_model.putChar(row, col, std::u16string_view(&unit, 1), m_pen.attribute, width);
        return;
    }
    char16_t text[2 * kMaxClusterChars];
    size_t n = 0;
    for (size_t i = 0; i < count && i < kMaxClusterChars; ++i) {
        char16_t units[2];
        const size_t written = text::encodeUtf16(chars[i], units);
        for (size_t k = 0; k < written; ++k)
            text[n++] = units[k];
    }
    m_model.putChar(row, col, std::u16string_view(text, n), m_pen.attribute, width);
}

// --- movement and edits --------------------------------------------------------------

bool Terminal::cursorInRegion() const
{
    return m_row >= m_top && m_row < regionBottom() && m_col >= regionLeft() && m_col < regionRight();
}

void Terminal::linefeed()
{
    if (m_row == regionBottom() - 1) {
        if (!m_leftRightMode)
            m_model.scrollUpOne(m_top, m_row + 1, eraseCell());  // what scrollRect comes to
        else
            scrollRect(m_top, regionBottom(), regionLeft(), regionRight(), 1, 0);
    }
    else if (m_row < rows() - 1)
        ++m_row;
}

void Terminal::reverseIndex()
{
    if (m_row == m_top)
        scrollRect(m_top, regionBottom(), regionLeft(), regionRight(), -1, 0);
    else if (m_row > 0)
        --m_row;
}

void Terminal::tab(int count, int direction)
{
    while (count > 0) {
        if (direction > 0) {
            if (m_col >= cols() - 1)
                return;
            ++m_col;
        } else {
            if (m_col < 1)
                return;
            --m_col;
        }
        if (m_tabStops[size_t(m_col)])
            --count;
    }
}

void Terminal::erase(int top, int bottom, int left, int right)
{
    if (top + 1 == bottom && left < right)
        m_model.fillRow(top, left, right, eraseCell());
    else if (top < bottom && left < right)
        m_model.fill({top, bottom, left, right}, eraseCell());
}

// Moves the rectangle's content by (downward, rightward) cells, blanking what comes in.
void Terminal::scrollRect(int top, int bottom, int left, int right, int downward, int rightward)
{
    const int height = bottom - top;
    const int width = right - left;
    if (height <= 0 || width <= 0 || (downward == 0 && rightward == 0))
        return;
    downward = std::clamp(downward, -height, height);
    rightward = std::clamp(rightward, -width, width);
    if (left == 0 && right == cols() && rightward == 0) {
        m_model.scrollRows(top, bottom, downward, eraseCell());  // turns the row ring
        return;
    }
    if (std::abs(downward) >= height || std::abs(rightward) >= width) {
        erase(top, bottom, left, right);
        return;
    }
    CellSpan dest{top, bottom, left, right};
    CellSpan src{top, bottom, left, right};
    if (rightward >= 0) {
        dest.right -= rightward;
        src.left += rightward;
    } else {
        dest.left -= rightward;
        src.right += rightward;
    }
    if (downward >= 0) {
        dest.bottom -= downward;
        src.top += downward;
    } else {
        dest.top -= downward;
        src.bottom += downward;
    }
    m_model.moveRect(dest, src);
    CellSpan blank{top, bottom, left, right};
    if (downward > 0)
        blank.top = bottom - downward;
    else if (downward < 0)
        blank.bottom = top - downward;
    if (rightward > 0)
        blank.left = right - rightward;
    else if (rightward < 0)
        blank.right = left - rightward;
    erase(blank.top, blank.bottom, blank.left, blank.right);
}

bool Terminal::clampCursorSlow()
{
    const int row = m_origin ? std::clamp(m_row, m_top, regionBottom() - 1) : std::clamp(m_row, 0, rows() - 1);
    const int col = m_origin ? std::clamp(m_col, regionLeft(), regionRight() - 1) : std::clamp(m_col, 0, cols() - 1);
    if (row == m_row && col == m_col)
        return false;
    m_row = row;
    m_col = col;
    return true;
}

// --- controls and escape sequences -----------------------------------------------------

void Terminal::executeOther(unsigned char control)
{
    const int oldRow = m_row, oldCol = m_col;
    switch (control) {
    case 0x08:  // BS
        if (m_col > 0)
            --m_col;
        break;
    case 0x09:  // HT
        tab(1, +1);
        break;
    case 0x0A:  // LF, VT, FF
    case 0x0B:
    case 0x0C:
        linefeed();
        if (m_modes.newline)
            m_col = 0;
        break;
    case 0x0E:  // SO: G1 into GL
    case 0x0F:  // SI: G0
        m_gl = control == 0x0E ? 1 : 0;
        m_plainAscii = m_charsets[size_t(m_gl)] == Charset::Ascii && !m_singleShift;
        break;
    case 0x84:  // IND
        linefeed();
        break;
    case 0x85:  // NEL
        linefeed();
        m_col = 0;
        break;
    case 0x88:  // HTS
        m_tabStops[size_t(m_col)] = true;
        break;
    case 0x8D:  // RI
        reverseIndex();
        break;
    case 0x8E:  // SS2, SS3: the next character from G2 or G3
    case 0x8F:
        m_singleShift = control == 0x8E ? 2 : 3;
        m_plainAscii = false;
        break;
    default:
        return;  // BEL and the rest: nothing to show
    }
    if (m_row != oldRow || m_col != oldCol)
        m_pendingWrap = false;
}

void Terminal::escape(std::string_view intermediates, char final)
{
    if (intermediates.size() == 1) {
        const char i = intermediates[0];
        if (i == '#' && final == '8') {  // DECALN: the screen full of E
            const char32_t e = 'E';
            for (int r = 0; r < rows(); ++r)
                for (int c = 0; c < cols(); ++c)
                    writeCell(r, c, &e, 1, 1);
        } else if (i >= '(' && i <= '+') {  // designate G0-G3
            Charset set;
            if (final == '0')
                set = Charset::DecGraphics;
            else if (final == 'A')
                set = Charset::Uk;
            else if (final == 'B')
                set = Charset::Ascii;
            else
                return;
            m_charsets[size_t(i - '(')] = set;
            m_plainAscii = m_charsets[size_t(m_gl)] == Charset::Ascii && !m_singleShift;
        }
        return;
    }
    if (!intermediates.empty())
        return;
    switch (final) {
    case '7': saveCursor(); break;
    case '8': restoreCursor(); break;
    case '=': m_modes.applicationKeypad = true; break;
    case '>': m_modes.applicationKeypad = false; break;
    case 'c': reset(true); break;
    case 'n':
    case 'o':
        m_gl = final == 'n' ? 2 : 3;
        m_plainAscii = m_charsets[size_t(m_gl)] == Charset::Ascii && !m_singleShift;
        break;
    default: break;
    }
}

void Terminal::saveCursor()
{
    m_saved.row = m_row;
    m_saved.col = m_col;
    m_saved.pen = m_penState;
    m_saved.cursorVisible = m_cursorVisible;
    m_saved.cursorBlink = m_cursorBlink;
    m_saved.cursorShape = m_cursorShape;
}

void Terminal::restoreCursor()
{
    const int oldRow = m_row, oldCol = m_col;
    m_row = std::min(m_saved.row, rows() - 1);
    m_col = std::min(m_saved.col, cols() - 1);
    m_cursorVisible = m_saved.cursorVisible;
    m_model.setCursorVisible(m_cursorVisible);
    m_cursorBlink = m_saved.cursorBlink;
    m_cursorShape = m_saved.cursorShape;
    m_penState = m_saved.pen;
    applyPen();
    if (m_row != oldRow || m_col != oldCol)
        m_pendingWrap = false;
}

void Terminal::reset(bool hard)
{
    m_top = 0;
    m_bottom = -1;
    m_left = 0;
    m_right = -1;
    m_modes.applicationKeypad = false;
    m_modes.applicationCursor = false;
    m_modes.newline = false;
    m_modes.bracketedPaste = false;
    m_modes.focusReports = false;
    m_modes.mouse = TerminalModes::Mouse::None;
    m_modes.mouseEncoding = TerminalModes::MouseEncoding::X10;
    m_autowrap = true;
    m_insert = false;
    m_origin = false;
    m_leftRightMode = false;
    m_tabStops.assign(size_t(cols()), false);
    for (int c = 0; c < cols(); c += 8)
        m_tabStops[size_t(c)] = true;
    m_penState = PenState{};
    applyPen();
    m_charsets.fill(Charset::Ascii);
    m_gl = 0;
    m_singleShift = 0;
    m_plainAscii = true;
    m_protected = false;
    m_cursorVisible = true;
    m_model.setCursorVisible(true);
    m_cursorBlink = true;
    m_cursorShape = 1;
    if (hard) {
        m_saved = Saved{};
        m_model.setAlternate(false);
        m_row = 0;
        m_col = 0;
        m_pendingWrap = false;
        erase(0, rows(), 0, cols());
        syncCursor();
    }
}

void Terminal::setAltScreen(bool on, bool clear)
{
    m_model.setAlternate(on);
    if (on && clear)
        erase(0, rows(), 0, cols());
}

void Terminal::setMode(int mode, bool on)
{
    if (mode == 4)
        m_insert = on;
    else if (mode == 20)
        m_modes.newline = on;
}

void Terminal::setDecMode(int mode, bool on)
{
    using Mouse = TerminalModes::Mouse;
    using Encoding = TerminalModes::MouseEncoding;
    switch (mode) {
    case 1: m_modes.applicationCursor = on; break;
    case 5: m_reverseScreen = on; break;
    case 6: {
        const int oldRow = m_row, oldCol = m_col;
        m_origin = on;
        m_row = on ? m_top : 0;
        m_col = on ? regionLeft() : 0;
        if (m_row != oldRow || m_col != oldCol)
            m_pendingWrap = false;
        break;
    }
    case 7: m_autowrap = on; break;
    case 12: m_cursorBlink = on; break;
    case 25:
        m_cursorVisible = on;
        m_model.setCursorVisible(on);
        break;
    case 47: setAltScreen(on, false); break;
    case 69: m_leftRightMode = on; break;
    case 1000: m_modes.mouse = on ? Mouse::Click : Mouse::None; break;
    case 1002: m_modes.mouse = on ? Mouse::Drag : Mouse::None; break;
    case 1003: m_modes.mouse = on ? Mouse::Move : Mouse::None; break;
    case 1004: m_modes.focusReports = on; break;
    case 1005: m_modes.mouseEncoding = on ? Encoding::Utf8 : Encoding::X10; break;
    case 1006: m_modes.mouseEncoding = on ? Encoding::Sgr : Encoding::X10; break;
    case 1015: m_modes.mouseEncoding = on ? Encoding::Urxvt : Encoding::X10; break;
    case 1047: setAltScreen(on, true); break;
    case 1048:
        if (on)
            saveCursor();
        else
            restoreCursor();
        break;
    case 1049:
        setAltScreen(on, true);
        if (on)
            saveCursor();
        else
            restoreCursor();
        break;
    case 2004: m_modes.bracketedPaste = on; break;
    default: break;
    }
}

void Terminal::reportDecMode(int mode)
{
    using Mouse = TerminalModes::Mouse;
    using Encoding = TerminalModes::MouseEncoding;
    int state = 0;  // 0 unknown, 1 set, 2 reset
    auto is = [&](bool on) { state = on ? 1 : 2; };
    switch (mode) {
    case 1: is(m_modes.applicationCursor); break;
    case 5: is(m_reverseScreen); break;
    case 6: is(m_origin); break;
    case 7: is(m_autowrap); break;
    case 12: is(m_cursorBlink); break;
    case 25: is(m_cursorVisible); break;
    case 47:
    case 1047:
    case 1049: is(m_model.alternate()); break;
    case 69: is(m_leftRightMode); break;
    case 1000: is(m_modes.mouse == Mouse::Click); break;
    case 1002: is(m_modes.mouse == Mouse::Drag); break;
    case 1003: is(m_modes.mouse == Mouse::Move); break;
    case 1004: is(m_modes.focusReports); break;
    case 1005: is(m_modes.mouseEncoding == Encoding::Utf8); break;
    case 1006: is(m_modes.mouseEncoding == Encoding::Sgr); break;
    case 1015: is(m_modes.mouseEncoding == Encoding::Urxvt); break;
    case 2004: is(m_modes.bracketedPaste); break;
    default: break;
    }
    char answer[48];
    std::snprintf(answer, sizeof answer, "\x1b[?%d;%d$y", mode, state);
    m_output += answer;
}

// Inline in the parser's loop, where a whole sequence is read at once.
[[gnu::always_inline]] inline void Terminal::csi(const CsiParams& p, char final)
{
    if (p.unusual)
        return;
    if (p.leader != 0 || p.intermediate != 0) {
        otherCsi(p, final, key(p.intermediate, p.leader, final));
    } else if (p.subMask != 0 && final == 'm') {
        selectGraphicRendition(p);
        if (clampCursor())
            m_pendingWrap = false;
    } else {
        plainCsi(p, final);  // which reads no sub-parameters
    }
}

// Inline where the parser reads a plain sequence, in code that calls nothing: SGR with one
// parameter or a 256-colour alone, and CUP to a place on the screen. Not in origin mode,
// where the cursor may need bringing inside the margins (which plainCsi() does), and not a
// CUP beyond the screen, which needs clamping: plainCsi() has those, the same as before.
[[gnu::always_inline]] inline bool Terminal::quickCsi(const CsiParams& p, char final)
{
    if (m_origin)
        return false;
    const int32_t* const v = p.values.data();
    if (final == 'm') {
        if (p.count == 1) {
            selectOneRendition(v[0]);
            return true;
        }
        if (p.count == 3 && v[1] == 5 && v[2] >= 0 && (v[0] == 38 || v[0] == 48)) {
            // A 256-colour change alone, the usual way programs set one.
            if (v[0] == 38)
                m_penState.setForeground(TermColor::indexed(uint8_t(v[2])));
            else
                m_penState.setBackground(TermColor::indexed(uint8_t(v[2])));
            applyPen();
            return true;
        }
        return false;
    }
    if (final == 'H') {
        // What cursorPosition() works out, when clampCursor() would leave it.
        const int row = std::min(p.get(0, 1), kBound) - 1;
        const int col = std::min(p.get(1, 1), kBound) - 1;
        if (unsigned(row) >= unsigned(rows()) || unsigned(col) >= unsigned(cols()))
            return false;
        m_row = row;
        m_col = col;
        m_pendingWrap = false;
        return true;
    }
    return false;
}

// Also inline in the parser's loop: a CSI without leader, intermediate or sub-parameter
// (only its count and values are read), told apart by its final byte alone.
[[gnu::always_inline]] inline void Terminal::plainCsi(const CsiParams& p, char final)
{
    // The sequences most output is made of go first, without noting where the cursor was:
    // none of them moves it but CUP, which drops the pending wrap itself. (Reading the old
    // row and column, the compiler loads both at once, and such a load waits until the
    // separate stores that last moved the cursor have retired.)
    bool known = true;
    if (final == 'm') {  // SGR, most sequences of all: tested first
        if (p.count == 1) {
            selectOneRendition(p.values[0]);
        } else {
            selectPlainRendition(p.values.data(), p.count);
        }
    } else {
        switch (final) {
        case 'H':
            cursorPosition(p);
            clampCursor();
            return;
        case 'K': known = eraseInLine(p.get(0, 0)); break;
        case 'J': eraseInDisplay(p.get(0, 0)); break;
        default: otherCsi(p, final, key(0, 0, final)); return;
        }
    }
    // A known sequence leaves the cursor inside the screen, and in origin mode inside the
    // margins. The cursor is always on the screen already (every move keeps it there, or
    // ends with clampCursor()), and these do not move it: only in origin mode may it stand
    // outside the margins (after DECRC, or line feeds below the region) and need bringing in.
    if (known && m_origin && clampCursorSlow())
        m_pendingWrap = false;
}

[[gnu::always_inline]] inline void Terminal::cursorPosition(const CsiParams& p)
{
    // Parameters are never negative (a missing one is the default here): only the upper
    // bound of bounded() can apply.
    m_row = std::min(p.get(0, 1), kBound) - 1;
    m_col = std::min(p.get(1, 1), kBound) - 1;
    if (m_origin) {
        m_row += m_top;
        m_col += regionLeft();
    }
    m_pendingWrap = false;
}

void Terminal::eraseInDisplay(int32_t selector)
{
    switch (selector) {
    case 0:
        erase(m_row, m_row + 1, m_col, cols());
        erase(m_row + 1, rows(), 0, cols());
        break;
    case 1:
        erase(0, m_row, 0, cols());
        erase(m_row, m_row + 1, 0, m_col + 1);
        break;
    case 2: erase(0, rows(), 0, cols()); break;
    default: break;
    }
}

[[gnu::always_inline]] inline bool Terminal::eraseInLine(int32_t selector)
{
    switch (selector) {
    case 0: erase(m_row, m_row + 1, m_col, cols()); return true;
    case 1: erase(m_row, m_row + 1, 0, m_col + 1); return true;
    case 2: erase(m_row, m_row + 1, 0, cols()); return true;
    default: return false;
    }
}

void Terminal::otherCsi(const CsiParams& p, char final, int form)
{
    const int oldRow = m_row, oldCol = m_col;
    bool keepWrap = false;
    char answer[64];
    switch (form) {
    case key(0, 0, '@'):  // ICH
        if (cursorInRegion())
            scrollRect(m_row, m_row + 1, m_col, m_leftRightMode ? regionRight() : cols(), 0, -bounded(p.count1(0)));
        break;
    case key(0, 0, 'A'): m_row -= bounded(p.count1(0)); m_pendingWrap = false; break;   // CUU
    case key(0, 0, 'B'): m_row += bounded(p.count1(0)); m_pendingWrap = false; break;   // CUD
    case key(0, 0, 'C'): m_col += bounded(p.count1(0)); m_pendingWrap = false; break;   // CUF
    case key(0, 0, 'D'): m_col -= bounded(p.count1(0)); m_pendingWrap = false; break;   // CUB
    case key(0, 0, 'E'): m_col = 0; m_row += bounded(p.count1(0)); m_pendingWrap = false; break;  // CNL
    case key(0, 0, 'F'): m_col = 0; m_row -= bounded(p.count1(0)); m_pendingWrap = false; break;  // CPL
    case key(0, 0, 'G'):  // CHA
    case key(0, 0, '`'):  // HPA
        m_col = bounded(p.get(0, 1)) - 1;
        m_pendingWrap = false;
        break;
    case key(0, 0, 'f'):  // HVP
        cursorPosition(p);
        break;
    case key(0, 0, 'I'): tab(bounded(p.count1(0)), +1); break;  // CHT
    case key(0, 0, 'Z'): tab(bounded(p.count1(0)), -1); break;  // CBT
    case key(0, '?', 'J'):  // DECSED
        eraseInDisplay(p.get(0, 0));
        break;
    case key(0, '?', 'K'):  // DECSEL
        if (!eraseInLine(p.get(0, 0)))
            return;
        break;
    case key(0, 0, 'L'):  // IL
    case key(0, 0, 'M'):  // DL
        if (cursorInRegion())
            scrollRect(m_row, regionBottom(), regionLeft(), regionRight(),
                       final == 'L' ? -bounded(p.count1(0)) : bounded(p.count1(0)), 0);
        break;
    case key(0, 0, 'P'):  // DCH
        if (cursorInRegion())
            scrollRect(m_row, m_row + 1, m_col, m_leftRightMode ? regionRight() : cols(), 0, bounded(p.count1(0)));
        break;
    case key(0, 0, 'S'):  // SU
    case key(0, 0, 'T'):  // SD
        scrollRect(m_top, regionBottom(), regionLeft(), regionRight(),
                   final == 'S' ? bounded(p.count1(0)) : -bounded(p.count1(0)), 0);
        break;
    case key(0, 0, 'X'):  // ECH
        erase(m_row, m_row + 1, m_col, std::min(cols(), m_col + bounded(p.count1(0))));
        break;
    case key(0, 0, 'a'): m_col += bounded(p.count1(0)); m_pendingWrap = false; break;  // HPR
    case key(0, 0, 'b'): {  // REP: the last glyph again, up to the right margin
        if (m_glyphWidth == 0)
            return;
        const int end = std::min(cols(), m_col + bounded(p.count1(0)));
        while (m_col < end) {
            writeCell(m_row, m_col, m_glyph.data(), m_glyphChars, m_glyphWidth);
            m_col += m_glyphWidth;
        }
        if (m_col + m_glyphWidth >= cols() && m_autowrap) {
            m_pendingWrap = true;
            keepWrap = true;
        }
        break;
    }
    case key(0, 0, 'c'):  // DA
        if (p.get(0, 0) == 0)
            m_output += "\x1b[?1;2c";
        break;
    case key(0, '>', 'c'):  // secondary DA
        m_output += "\x1b[>0;100;0c";
        break;
    case key(0, 0, 'd'):  // VPA
        m_row = bounded(p.get(0, 1)) - 1 + (m_origin ? m_top : 0);
        m_pendingWrap = false;
        break;
    case key(0, 0, 'e'): m_row += bounded(p.count1(0)); m_pendingWrap = false; break;  // VPR
    case key(0, 0, 'j'): m_col -= bounded(p.count1(0)); m_pendingWrap = false; break;  // HPB
    case key(0, 0, 'k'): m_row -= bounded(p.count1(0)); m_pendingWrap = false; break;  // VPB
    case key(0, 0, 'g'):  // TBC
        switch (p.get(0, 0)) {
        case 0: m_tabStops[size_t(m_col)] = false; break;
        case 3:
        case 5: std::fill(m_tabStops.begin(), m_tabStops.end(), false); break;
        case 1:
        case 2:
        case 4: break;
        default: return;
        }
        break;
    case key(0, 0, 'h'):
    case key(0, 0, 'l'):
        for (int i = 0; i < p.count; ++i)
            if (p.raw(i) != CsiParams::kMissing)
                setMode(p.raw(i), final == 'h');
        break;
    case key(0, '?', 'h'):
    case key(0, '?', 'l'):
        for (int i = 0; i < p.count; ++i)
            if (p.raw(i) != CsiParams::kMissing)
                setDecMode(p.raw(i), final == 'h');
        break;
    case key(0, 0, 'n'):
    case key(0, '?', 'n'): {
        const char* mark = form == key(0, '?', 'n') ? "?" : "";
        const int what = p.get(0, 0);
        if (what == 5) {
            std::snprintf(answer, sizeof answer, "\x1b[%s0n", mark);
            m_output += answer;
        } else if (what == 6) {
            std::snprintf(answer, sizeof answer, "\x1b[%s%d;%dR", mark, m_row + 1, m_col + 1);
            m_output += answer;
        }
        break;
    }
    case key('!', 0, 'p'):  // DECSTR
        reset(false);
        m_saved = Saved{};
        break;
    case key('$', '?', 'p'): reportDecMode(p.get(0, 0)); break;  // DECRQM
    case key(' ', 0, 'q'): {  // DECSCUSR
        const int style = p.get(0, 1);
        if (style >= 0 && style <= 6) {
            m_cursorBlink = style <= 1 || style % 2 == 1;
            m_cursorShape = uint8_t(style <= 2 ? 1 : style <= 4 ? 2 : 3);
        }
        break;
    }
    case key('"', 0, 'q'):  // DECSCA
        if (p.get(0, 0) == 1)
            m_protected = true;
        else if (p.get(0, 0) == 0 || p.get(0, 0) == 2)
            m_protected = false;
        break;
    case key(0, 0, 'r'): {  // DECSTBM
        m_top = std::clamp(p.get(0, 1) - 1, 0, rows());
        m_bottom = p.count < 2 || p.raw(1) == CsiParams::kMissing ? -1 : std::max(p.raw(1), -1);
        if (m_top == 0 && m_bottom == rows())
            m_bottom = -1;
        else
            m_bottom = std::min(m_bottom, rows());
        if (regionBottom() <= m_top) {
            m_top = 0;
            m_bottom = -1;
        }
        m_row = m_origin ? m_top : 0;
        m_col = m_origin ? regionLeft() : 0;
        break;
    }
    case key(0, 0, 's'):
        if (!m_leftRightMode) {
            saveCursor();  // SCOSC
            break;
        }
        m_left = std::clamp(p.get(0, 1) - 1, 0, cols());  // DECSLRM
        m_right = p.count < 2 || p.raw(1) == CsiParams::kMissing ? -1 : std::max(p.raw(1), -1);
        if (m_left == 0 && m_right == cols())
            m_right = -1;
        else
            m_right = std::min(m_right, cols());
        if (regionRight() <= m_left) {
            // No column between the margins (a left margin at or beyond the right one, or
            // beyond the screen with no right one given): the whole width again, as DECSTBM
            // does for rows. A left margin left at the screen's edge put the cursor beyond it.
            m_left = 0;
            m_right = -1;
        }
        m_row = m_origin ? m_top : 0;
        m_col = m_origin ? regionLeft() : 0;
        break;
    case key(0, 0, 'u'):  // SCORC
        restoreCursor();
        break;
    case key('\'', 0, '}'):  // DECIC
    case key('\'', 0, '~'):  // DECDC
        if (cursorInRegion())
            scrollRect(m_top, regionBottom(), m_col, regionRight(), 0,
                       final == '}' ? -bounded(p.count1(0)) : bounded(p.count1(0)));
        break;
    default:
        return;
    }
    clampCursor();
    if ((m_row != oldRow || m_col != oldCol) && !keepWrap)
        m_pendingWrap = false;
}

// One SGR parameter that takes none after it (all but 38, 48 and an underline's style).
// False for one the pen does not keep (dim, for one): nothing changed.
[[gnu::always_inline]] inline bool Terminal::rendition(int32_t v)
{
    PenState& pen = m_penState;
    switch (v) {
    case CsiParams::kMissing:
    case 0: pen = PenState{}; break;
    case 1: pen.bold = true; break;
    case 3: pen.italic = true; break;
    case 4: pen.underline = 1; break;
    case 5: pen.blink = true; break;
    case 7: pen.reverse = true; break;
    case 9: pen.strike = true; break;
    case 21: pen.underline = 2; break;
    case 22: pen.bold = false; break;
    case 23: pen.italic = false; break;
    case 24: pen.underline = 0; break;
    case 25: pen.blink = false; break;
    case 27: pen.reverse = false; break;
    case 29: pen.strike = false; break;
    case 39: pen.setForeground(TermColor{}); break;
    case 49: pen.setBackground(TermColor{}); break;
    // Every code listed, so that one look-up finds any of them.
    case 10: case 11: case 12: case 13: case 14: case 15: case 16: case 17: case 18: case 19:
        pen.font = uint8_t(v - 10);
        break;
    case 30: case 31: case 32: case 33: case 34: case 35: case 36: case 37:
        pen.setForeground(TermColor::indexed(uint8_t(v - 30)));
        break;
    case 40: case 41: case 42: case 43: case 44: case 45: case 46: case 47:
        pen.setBackground(TermColor::indexed(uint8_t(v - 40)));
        break;
    case 90: case 91: case 92: case 93: case 94: case 95: case 96: case 97:
        pen.setForeground(TermColor::indexed(uint8_t(v - 90 + 8)));
        break;
    case 100: case 101: case 102: case 103: case 104: case 105: case 106: case 107:
        pen.setBackground(TermColor::indexed(uint8_t(v - 100 + 8)));
        break;
    default: return false;
    }
    return true;
}

// SGR with a single parameter, most of them. "ESC [ m" and "ESC [ 0 m", the most common of
// all, give the default pen, whose words are known. A colour ("38" or "48") needs more, so
// alone it changes nothing; the pen's words follow its state, so they are worked out again
// only when the state changed.
[[gnu::always_inline]] inline void Terminal::selectOneRendition(int32_t v)
{
    if (v <= 0) {
        m_penState = PenState{};
        m_pen = PenWords{};
    } else if (rendition(v)) {
        applyPen();
    }
}

// The colour of "38;5;n" or "38;2;r;g;b" (48 for the background): `rest` the n parameters
// after the 38; returns how many of them it took after the mode. One short of its values
// sets nothing. An RGB colour is set without its console colour, a search of the palette,
// and `rgb` notes it for settleRgb(): the loops over the parameters then call nothing, and
// need not keep their registers across a call.
[[gnu::always_inline]] inline int Terminal::extendedColour(const int32_t* rest, int n, bool foreground, bool& rgb)
{
    if (n == 0)
        return 0;
    const int available = n - 1;
    if (rest[0] == 2) {
        if (available < 3)
            return available;
        (foreground ? m_penState.fg : m_penState.bg) =
            TermColor::fromRgb(uint8_t(rest[1]), uint8_t(rest[2]), uint8_t(rest[3]));
        rgb = true;
        return 3;
    }
    if (rest[0] == 5) {
        if (available == 0 || rest[1] == CsiParams::kMissing)
            return available ? 1 : 0;
        if (foreground)
            m_penState.setForeground(TermColor::indexed(uint8_t(rest[1])));
        else
            m_penState.setBackground(TermColor::indexed(uint8_t(rest[1])));
        return 1;
    }
    return 0;
}

// The console colours of the pen's colours again, after an RGB one was set.
void Terminal::settleRgb()
{
    m_penState.setForeground(m_penState.fg);
    m_penState.setBackground(m_penState.bg);
}

// SGR lists without sub-parameters, nearly all of them: nothing to skip over.
void Terminal::selectPlainRendition(const int32_t* v, int count)
{
    bool rgb = false;
    for (int i = 0; i < count; ++i) {
        if (!rendition(v[i]) && (v[i] == 38 || v[i] == 48))
            i += 1 + extendedColour(v + i + 1, count - i - 1, v[i] == 38, rgb);  // and the mode
    }
    if (rgb) [[unlikely]]
        settleRgb();
    applyPen();
}

// SGR lists with sub-parameters ("4:3", "38:5:n").
void Terminal::selectGraphicRendition(const CsiParams& p)
{
    const int32_t* const v = p.values.data();
    const int count = p.count;
    PenState& pen = m_penState;
    bool rgb = false;
    int i = 0;
    while (i < count) {
        switch (v[i]) {
        case 4:
            pen.underline = 1;
            if (p.hasSub(i)) {
                ++i;
                const int32_t style = p.raw(i);
                if (style >= 0 && style <= 3)
                    pen.underline = uint8_t(style);
            }
            break;
        case 38:
        case 48: i += 1 + extendedColour(v + i + 1, std::max(0, count - i - 1), v[i] == 38, rgb); break;
        default: rendition(v[i]); break;
        }
        while (p.hasSub(i++)) {
        }
    }
    if (rgb)
        settleRgb();
    applyPen();
}

// --- strings ---------------------------------------------------------------------------

void Terminal::osc(std::string_view text)
{
    if (text.size() < 2 || text[1] != ';')
        return;
    if (text[0] == '0' || text[0] == '2') {
        m_title.assign(text.substr(2));
        m_titleChanged = true;
    }
}

void Terminal::dcs(std::string_view text)
{
    if (text.size() >= 2 && text.substr(0, 2) == "$q")
        requestStatusString(text.substr(2));
}

void Terminal::requestStatusString(std::string_view name)
{
    std::string reply;
    char part[64];
    if (name == "m") {
        std::string args;
        auto add = [&](const std::string& a) { args += (args.empty() ? "" : ";") + a; };
        const PenState& pen = m_penState;
        if (pen.bold) add("1");
        if (pen.italic) add("3");
        if (pen.underline == 1) add("4");
        if (pen.underline == 3) add("4:3");
        if (pen.blink) add("5");
        if (pen.reverse) add("7");
        if (pen.strike) add("9");
        if (pen.font) add(std::to_string(10 + pen.font));
        if (pen.underline == 2) add("21");
        auto colour = [&](const TermColor& c, bool fg) {
            if (c.kind == TermColor::Kind::Indexed && c.index < 8)
                add(std::to_string(c.index + (fg ? 30 : 40)));
            else if (c.kind == TermColor::Kind::Indexed && c.index < 16)
                add(std::to_string(c.index - 8 + (fg ? 90 : 100)));
            else if (c.kind == TermColor::Kind::Indexed)
                add(std::string(fg ? "38" : "48") + ":5:" + std::to_string(c.index));
            else if (c.kind == TermColor::Kind::Rgb)
                add(std::string(fg ? "38" : "48") + ":2:" + std::to_string(c.rgb.r) + ":" + std::to_string(c.rgb.g) +
                    ":" + std::to_string(c.rgb.b));
        };
        colour(pen.fg, true);
        colour(pen.bg, false);
        reply = "1$r" + args + "m";
    } else if (name == "r") {
        std::snprintf(part, sizeof part, "1$r%d;%dr", m_top + 1, regionBottom());
        reply = part;
    } else if (name == "s") {
        std::snprintf(part, sizeof part, "1$r%d;%ds", regionLeft() + 1, regionRight());
        reply = part;
    } else if (name == " q") {
        const int style = m_cursorShape * 2 - (m_cursorBlink ? 1 : 0);
        std::snprintf(part, sizeof part, "1$r%d q", style);
        reply = part;
    } else if (name == "\"q") {
        reply = m_protected ? "1$r1\"q" : "1$r2\"q";
    } else {
        reply = "0$r";  // not a setting this terminal reports
    }
    m_output += "\x1bP" + reply + "\x1b\\";
}

// --- the console's own operations ------------------------------------------------------

void Terminal::resize(int newCols, int newRows)
{
    const bool shrinks = newCols < cols() || newRows < rows();
    if (newCols != cols()) {
        const size_t old = m_tabStops.size();
        m_tabStops.resize(size_t(newCols));
        for (size_t c = old; c < m_tabStops.size(); ++c)
            m_tabStops[c] = c % 8 == 0;
    }
    if (m_bottom > -1)
        m_bottom = std::min(m_bottom, newRows);
    if (m_right > -1)
        m_right = std::min(m_right, newCols);
    syncCursor();
    const int shift = m_model.resize(newCols, newRows);
    if (m_pendingWrap && m_col < newCols - 1) {
        m_pendingWrap = false;
        ++m_col;
    }
    m_row = std::min(m_row - shift, newRows - 1);
    m_col = std::min(m_col, newCols - 1);
    if (shrinks) {
        // A smaller screen takes the margins back to its edges, as an xterm does.
        m_top = 0;
        m_bottom = -1;
        m_left = 0;
        m_right = -1;
        m_pendingWrap = false;
    }
    syncCursor();
}

void Terminal::prepareForProgram()
{
    m_parser.reset();
    reset(false);
    m_model.setAlternate(false);
    m_output.clear();
}

void Terminal::clearCharacters()
{
    m_model.clearCharacters();
    m_row = m_origin ? m_top : 0;
    m_col = m_origin ? regionLeft() : 0;
    m_pendingWrap = false;
    syncCursor();
}

// The parser's code, compiled here against the terminal so that its calls are direct.
template class BasicVtParser<Terminal>;

}  // namespace qp
