#include "tests/oracle/VtermEmulator.h"

#include "text/Utf.h"

#include <cstdio>
#include <cstring>

namespace qp {

namespace {

TermColor termColor(const VTermColor& c)
{
    if (VTERM_COLOR_IS_DEFAULT_FG(&c) || VTERM_COLOR_IS_DEFAULT_BG(&c))
        return {};
    if (VTERM_COLOR_IS_INDEXED(&c))
        return TermColor::indexed(c.indexed.idx);
    return TermColor::fromRgb(c.rgb.red, c.rgb.green, c.rgb.blue);
}

CellSpan spanOf(const VTermRect& r) { return {r.start_row, r.end_row, r.start_col, r.end_col}; }

// The UTF-16 text of a glyph: its base character and combining marks in the order written,
// characters beyond the BMP as surrogate pairs. At most VTERM_MAX_CHARS_PER_CELL characters.
size_t glyphText(const uint32_t* chars, char16_t (&out)[2 * VTERM_MAX_CHARS_PER_CELL])
{
    size_t n = 0;
    for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && chars[i] != 0; ++i) {
        char16_t units[2];
        const size_t written = text::encodeUtf16(chars[i], units);
        for (size_t k = 0; k < written; ++k)
            out[n++] = units[k];
    }
    return n;
}

}  // namespace

VtermEmulator::VtermEmulator(int cols, int rows)
    : m_vt(vterm_new(rows, cols)), m_model(cols, rows)
{
    static const VTermStateCallbacks callbacks = {
        .putglyph = &VtermEmulator::onPutGlyph,
        .movecursor = &VtermEmulator::onMoveCursor,
        .scrollrect = &VtermEmulator::onScrollRect,
        .moverect = &VtermEmulator::onMoveRect,
        .erase = &VtermEmulator::onErase,
        .initpen = &VtermEmulator::onInitPen,
        .setpenattr = &VtermEmulator::onSetPenAttr,
        .settermprop = &VtermEmulator::onSetTermProp,
        .bell = nullptr,
        .resize = &VtermEmulator::onResize,
        .setlineinfo = nullptr,
    };
    vterm_set_utf8(m_vt.get(), 1);
    vterm_output_set_callback(m_vt.get(), &VtermEmulator::onOutput, this);
    m_state = vterm_obtain_state(m_vt.get());
    vterm_state_set_callbacks(m_state, &callbacks, this);
    vterm_state_reset(m_state, 1);
}

VtermEmulator::~VtermEmulator() = default;

void VtermEmulator::write(std::string_view bytes)
{
    const std::string_view text = m_guard.filter(bytes, m_guardScratch);
    size_t at = 0;
    for (size_t repeat : m_guard.repeats()) {
        feed(text.substr(at, repeat - at));
        // REP steps by the last glyph's width: with none, CAN drops the sequence instead.
        feed(m_lastGlyphWidth > 0 ? std::string_view("b") : std::string_view("\x18"));
        at = repeat + 1;
    }
    feed(text.substr(at));
}

void VtermEmulator::feed(std::string_view bytes)
{
    if (!bytes.empty())
        vterm_input_write(m_vt.get(), bytes.data(), bytes.size());
}

std::string VtermEmulator::takeOutput()
{
    std::string out;
    out.swap(m_output);
    return out;
}

void VtermEmulator::resize(int cols, int rows)
{
    const bool shrinks = cols < m_model.cols() || rows < m_model.rows();
    vterm_set_size(m_vt.get(), rows, cols);
    if (!shrinks)
        return;
    // libvterm 0.1.4 keeps a scroll region whose top no longer fits on the smaller screen,
    // and its next scroll moves a negative number of bytes. Reset the margins, as an xterm
    // does on a resize, and keep the cursor where it is.
    char reset[48];
    std::snprintf(reset, sizeof reset, "\x1b[r\x1b[s\x1b[%d;%dH", m_model.cursorRow() + 1, m_model.cursorCol() + 1);
    feed(reset);
}

void VtermEmulator::prepareForProgram()
{
    // CAN drops a sequence in progress; the soft reset restores modes, margins, pen and
    // character sets, and leaves the alternate screen without telling the callbacks.
    m_guard.reset();
    feed("\x18");
    vterm_state_reset(m_state, 0);
    m_model.setAlternate(false);
    m_output.clear();
}

void VtermEmulator::clearCharacters()
{
    m_model.clearCharacters();
    feed("\x1b[H");
}

bool VtermEmulator::takeTitleChanged()
{
    const bool changed = m_titleChanged;
    m_titleChanged = false;
    return changed;
}

int VtermEmulator::onPutGlyph(VTermGlyphInfo* info, VTermPos pos, void* user)
{
    auto* self = static_cast<VtermEmulator*>(user);
    // A combining character arrives as a second call for the same cell with the whole
    // cluster so far: the cell's text is replaced by it.
    char16_t text[2 * VTERM_MAX_CHARS_PER_CELL];
    const size_t length = glyphText(info->chars, text);
    self->m_lastGlyphWidth = info->width;
    self->m_model.putChar(pos.row, pos.col, std::u16string_view(text, length), self->m_pen.attribute(), info->width);
    return 1;
}

int VtermEmulator::onMoveCursor(VTermPos pos, VTermPos, int visible, void* user)
{
    auto* self = static_cast<VtermEmulator*>(user);
    self->m_model.setCursor(pos.row, pos.col);
    self->m_model.setCursorVisible(visible != 0);
    return 1;
}

int VtermEmulator::onScrollRect(VTermRect rect, int downward, int rightward, void* user)
{
    auto* self = static_cast<VtermEmulator*>(user);
    // Whole-width scrolls rotate the row ring; anything else goes through moverect/erase.
    if (rightward != 0 || rect.start_col != 0 || rect.end_col != self->m_model.cols())
        return 0;
    self->m_model.scrollRows(rect.start_row, rect.end_row, downward, self->eraseCell());
    return 1;
}

int VtermEmulator::onMoveRect(VTermRect dest, VTermRect src, void* user)
{
    static_cast<VtermEmulator*>(user)->m_model.moveRect(spanOf(dest), spanOf(src));
    return 1;
}

int VtermEmulator::onErase(VTermRect rect, int, void* user)
{
    auto* self = static_cast<VtermEmulator*>(user);
    self->m_model.fill(spanOf(rect), self->eraseCell());
    return 1;
}

int VtermEmulator::onInitPen(void* user)
{
    static_cast<VtermEmulator*>(user)->m_pen.reset();
    return 1;
}

int VtermEmulator::onSetPenAttr(VTermAttr attr, VTermValue* val, void* user)
{
    ConsolePen& pen = static_cast<VtermEmulator*>(user)->m_pen;
    switch (attr) {
    case VTERM_ATTR_BOLD: pen.setBold(val->boolean != 0); break;
    case VTERM_ATTR_REVERSE: pen.setReverse(val->boolean != 0); break;
    case VTERM_ATTR_UNDERLINE: pen.setUnderline(val->number != 0); break;
    case VTERM_ATTR_FOREGROUND: pen.setForeground(termColor(val->color)); break;
    case VTERM_ATTR_BACKGROUND: pen.setBackground(termColor(val->color)); break;
    default: break;  // italic, blink, strike and fonts have no bit in the word
    }
    return 1;
}

int VtermEmulator::onSetTermProp(VTermProp prop, VTermValue* val, void* user)
{
    auto* self = static_cast<VtermEmulator*>(user);
    switch (prop) {
    case VTERM_PROP_ALTSCREEN: self->m_model.setAlternate(val->boolean != 0); break;
    case VTERM_PROP_CURSORVISIBLE: self->m_model.setCursorVisible(val->boolean != 0); break;
    case VTERM_PROP_TITLE:
        self->m_title = val->string ? val->string : "";
        self->m_titleChanged = true;
        break;
    default: break;
    }
    return 1;
}

int VtermEmulator::onResize(int rows, int cols, VTermPos* delta, void* user)
{
    auto* self = static_cast<VtermEmulator*>(user);
    const int shift = self->m_model.resize(cols, rows);
    delta->row = -shift;
    return 1;
}

void VtermEmulator::onOutput(const char* s, size_t len, void* user)
{
    static_cast<VtermEmulator*>(user)->m_output.append(s, len);
}

}  // namespace qp
