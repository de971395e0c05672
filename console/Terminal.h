#pragma once
// The terminal: our own DEC/xterm emulation writing straight into the screen model. The
// parser (VtParser) hands over text runs, controls and sequences; this keeps the cursor
// (with its pending wrap at the right margin), the pen, the modes, the scroll margins, the
// tab stops, the character sets, the two screens with the saved cursor, the title, and
// answers the program's queries (DA, DSR, CPR, DECRQSS, DECRQM) through its output.
// Not thread-safe: the console's screen lock guards every call.

#include "Attributes.h"
#include "ScreenModel.h"
#include "VtParser.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace qp {

// The modes a keyboard or a paste must honour, and the mouse reporting asked for.
struct TerminalModes {
    bool applicationCursor = false;  // DECCKM
    bool applicationKeypad = false;  // DECKPAM
    bool newline = false;            // LNM: Enter sends CR LF
    bool bracketedPaste = false;
    bool focusReports = false;
    enum class Mouse : uint8_t { None, Click, Drag, Move } mouse = Mouse::None;
    enum class MouseEncoding : uint8_t { X10, Utf8, Sgr, Urxvt } mouseEncoding = MouseEncoding::X10;
};

class Terminal;
using VtParser = BasicVtParser<Terminal>;

class Terminal {
public:
    // The most characters one cell keeps: a base and its combining marks.
    static constexpr size_t kMaxClusterChars = 6;

    Terminal(int cols, int rows);
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Output of the program under test, cut anywhere (also inside UTF-8 characters).
    void write(std::string_view bytes);
    // Bytes the terminal sends to the program (answers to queries, translated keys).
    std::string takeOutput();
    bool hasOutput() const { return !m_output.empty(); }
    void appendOutput(std::string_view bytes) { m_output.append(bytes); }

    void resize(int cols, int rows);
    // Back to a known state before a new program: any sequence in progress dropped, the
    // main screen, default modes, pen, margins and character sets; the cells stay.
    void prepareForProgram();
    // Blanks every character (attributes kept) and homes the cursor.
    void clearCharacters();

    const ScreenModel& model() const { return m_model; }
    uint16_t penAttribute() const { return m_pen.attribute; }
    const TerminalModes& modes() const { return m_modes; }
    const std::string& title() const { return m_title; }
    void clearTitle() { m_title.clear(); }
    // True once after the program set a new title.
    bool takeTitleChanged();

private:
    enum class Charset : uint8_t { Ascii, DecGraphics, Uk };

    struct PenState {
        bool bold = false, italic = false, blink = false, reverse = false, strike = false;
        uint8_t underline = 0;  // 0 none, 1 single, 2 double, 3 curly
        uint8_t font = 0;
        TermColor fg{}, bg{};
        // Worked out when a colour is set, so that the pen's words are quick to make at
        // every change of rendition: the console colours (the background's in the high
        // half), and whether bold brightens.
        uint8_t colours = 0x07;
        bool brightens = true;
        uint8_t unused = 0;  // 20 bytes in all: the default pen is three wide stores

        [[gnu::always_inline]] void setForeground(const TermColor& c)
        {
            fg = c;
            colours = uint8_t((colours & 0xF0) | ConsolePen::consoleColour(c, 0x07));
            brightens = ConsolePen::brightensWithBold(c);
        }
        [[gnu::always_inline]] void setBackground(const TermColor& c)
        {
            bg = c;
            colours = uint8_t((colours & 0x0F) | ConsolePen::consoleColour(c, 0x00) << 4);
        }
    };
    struct Saved {
        int row = 0, col = 0;
        PenState pen{};
        bool cursorVisible = true;
        bool cursorBlink = true;
        uint8_t cursorShape = 1;
    };

    // What the parser hands over (see VtParser.h).
    friend VtParser;
    // The usual run of text is inline in the parser's loop: plain ASCII, no insert mode, no
    // wrap pending, and all of it fits before the right edge.
    void printAscii(const char* text, size_t length)
    {
        if (m_plainAscii && !m_insert && !m_pendingWrap && length < size_t(cols() - m_col)) {
            printAsciiInRow(text, int(length));
            return;
        }
        printAsciiAnywhere(text, length);
    }
    void printAsciiInRow(const char* text, int length);
    void printAsciiOverHalves(const char* text, int length);
    void ranOverInRow(char32_t lastChar, int last);
    void printAsciiAnywhere(const char* text, size_t length);
    void printText(const char32_t* chars, size_t length);
    const unsigned char* printRun(const unsigned char* text, const unsigned char* ascii, const unsigned char* end);
    void execute(unsigned char control)
    {
        if (control == '\r') {  // most lines end with one: inline
            if (m_col != 0) {
                m_col = 0;
                m_pendingWrap = false;
            }
            return;
        }
        if (control == '\n' && m_row == regionBottom() - 1 && !m_leftRightMode && !m_modes.newline) {
            // A line feed at the bottom of the region, as most of them are: what linefeed()
            // does there; the cursor stays, and so does a wrap pending.
            m_model.scrollUpOne(m_top, m_row + 1, eraseCell());
            return;
        }
        executeOther(control);
    }
    void executeOther(unsigned char control);  // every control but CR
    void escape(std::string_view intermediates, char final);
    void csi(const CsiParams& params, char final);
    void plainCsi(const CsiParams& params, char final);
    bool quickCsi(const CsiParams& params, char final);
    void osc(std::string_view text);
    void dcs(std::string_view text);

    int rows() const { return m_model.rows(); }
    int cols() const { return m_model.cols(); }
    int regionBottom() const { return m_bottom < 0 ? rows() : m_bottom; }
    int regionLeft() const { return m_leftRightMode ? m_left : 0; }
    int regionRight() const { return m_leftRightMode && m_right >= 0 ? m_right : cols(); }
    bool cursorInRegion() const;
    ScreenCell eraseCell() const { return {0x20, m_pen.erase}; }

    void putGlyph(const char32_t* chars, size_t count, int width);
    void ranOver(char32_t last, int n, int lastWidth = 1);
    void writeCell(int row, int col, const char32_t* chars, size_t count, int width);
    void combine(char32_t mark);
    void linefeed();
    void reverseIndex();
    void tab(int count, int direction);
    void scrollRect(int top, int bottom, int left, int right, int downward, int rightward);
    void erase(int top, int bottom, int left, int right);
    void setMode(int mode, bool on);
    void setDecMode(int mode, bool on);
    void reportDecMode(int mode);
    void setAltScreen(bool on, bool clear);
    void saveCursor();
    void restoreCursor();
    void applyPen()
    {
        m_pen = ConsolePen::wordsFor(m_penState.bold, m_penState.reverse, m_penState.underline != 0,
                                     m_penState.colours, m_penState.brightens);
    }
    void selectGraphicRendition(const CsiParams& p);
    void selectPlainRendition(const int32_t* values, int count);
    int extendedColour(const int32_t* rest, int n, bool foreground, bool& rgb);
    void settleRgb();
    void selectOneRendition(int32_t v);
    bool rendition(int32_t v);
    // The CSI sequences beyond the few plainCsi() takes itself.
    void otherCsi(const CsiParams& p, char final, int form);
    void cursorPosition(const CsiParams& p);  // CUP, HVP
    void eraseInDisplay(int32_t selector);    // ED, DECSED
    bool eraseInLine(int32_t selector);       // EL, DECSEL; false for an unknown selector
    void reset(bool hard);
    void requestStatusString(std::string_view name);
    // Brings the cursor back inside the screen (or the margins, in origin mode); true when
    // it moved.
    bool clampCursor()
    {
        if (!m_origin && unsigned(m_row) < unsigned(rows()) && unsigned(m_col) < unsigned(cols()))
            return false;  // the usual case, after every sequence
        return clampCursorSlow();
    }
    bool clampCursorSlow();
    void syncCursor() { m_model.setCursor(m_row, m_col); }
    char32_t mapCharset(char c) const;

    ScreenModel m_model;
    VtParser m_parser;
    PenState m_penState;
    PenWords m_pen;  // the words of m_penState
    Saved m_saved;
    TerminalModes m_modes;

    int m_row = 0;
    int m_col = 0;
    bool m_pendingWrap = false;
    bool m_autowrap = true;
    bool m_insert = false;
    bool m_origin = false;
    bool m_leftRightMode = false;
    bool m_cursorVisible = true;
    bool m_cursorBlink = true;
    uint8_t m_cursorShape = 1;  // 1 block, 2 underline, 3 bar
    bool m_reverseScreen = false;
    bool m_protected = false;
    int m_top = 0;
    int m_bottom = -1;  // exclusive; -1 follows the screen's height
    int m_left = 0;
    int m_right = -1;
    std::vector<bool> m_tabStops;

    std::array<Charset, 4> m_charsets{};
    int m_gl = 0;
    int m_singleShift = 0;
    bool m_plainAscii = true;  // GL is ASCII and no single shift is pending

    // The last glyph written, which combining marks join and REP repeats.
    std::array<char32_t, kMaxClusterChars> m_glyph{};
    size_t m_glyphChars = 0;
    int m_glyphWidth = 0;
    int m_glyphRow = 0;
    int m_glyphCol = 0;

    std::string m_output;
    std::string m_title;
    bool m_titleChanged = false;
};

}  // namespace qp
