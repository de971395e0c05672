#pragma once
// The emulator the console was built on, kept as the reference our terminal is held against:
// libvterm's parser and state layer (cursor, pen, modes, scroll regions, the screen switch,
// the title) driving our ScreenModel through the state's callbacks, behind a guard against
// libvterm 0.1.4's faults. Wants whole UTF-8 characters in each write.

#include "console/Attributes.h"
#include "console/ScreenModel.h"
#include "tests/oracle/ParserGuard.h"

#include <memory>
#include <string>
#include <string_view>
#include <vterm.h>

namespace qp {

class VtermEmulator {
public:
    VtermEmulator(int cols, int rows);
    ~VtermEmulator();
    VtermEmulator(const VtermEmulator&) = delete;
    VtermEmulator& operator=(const VtermEmulator&) = delete;

    // Output of the program under test. The caller keeps UTF-8 characters whole.
    void write(std::string_view bytes);
    // Bytes the terminal sends to the program (answers to queries, translated keys).
    std::string takeOutput();
    bool hasOutput() const { return !m_output.empty(); }

    void resize(int cols, int rows);
    // Back to a known state before a new program: any sequence in progress dropped, the
    // main screen, default modes, pen and scroll region; the cells stay.
    void prepareForProgram();
    // Blanks every character (attributes kept) and homes the cursor, in the model and in
    // the terminal state.
    void clearCharacters();

    const ScreenModel& model() const { return m_model; }
    VTerm* vterm() { return m_vt.get(); }
    uint16_t penAttribute() const { return m_pen.attribute(); }
    const std::string& title() const { return m_title; }
    void clearTitle() { m_title.clear(); }
    // True once after the program set a new title.
    bool takeTitleChanged();

private:
    struct VTermFree {
        void operator()(VTerm* vt) const { vterm_free(vt); }
    };

    static int onPutGlyph(VTermGlyphInfo* info, VTermPos pos, void* user);
    static int onMoveCursor(VTermPos pos, VTermPos oldpos, int visible, void* user);
    static int onScrollRect(VTermRect rect, int downward, int rightward, void* user);
    static int onMoveRect(VTermRect dest, VTermRect src, void* user);
    static int onErase(VTermRect rect, int selective, void* user);
    static int onInitPen(void* user);
    static int onSetPenAttr(VTermAttr attr, VTermValue* val, void* user);
    static int onSetTermProp(VTermProp prop, VTermValue* val, void* user);
    static int onResize(int rows, int cols, VTermPos* delta, void* user);
    static void onOutput(const char* s, size_t len, void* user);

    ScreenCell eraseCell() const { return {0x20, m_pen.eraseAttribute()}; }

    std::unique_ptr<VTerm, VTermFree> m_vt;
    VTermState* m_state = nullptr;
    ScreenModel m_model;
    ConsolePen m_pen;
    void feed(std::string_view bytes);

    std::string m_output;
    ParserGuard m_guard;
    std::string m_guardScratch;
    int m_lastGlyphWidth = 0;  // what REP would repeat by
    std::string m_title;
    bool m_titleChanged = false;
};

}  // namespace qp
