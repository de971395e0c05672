#pragma once
// Shields libvterm 0.1.4's parser from its faults before the program's output reaches it:
// - A string sequence (OSC such as a title, or DCS) split across two writes is lost, and
//   when its terminator "ESC \" is split the parser reads outside the buffer. So an
//   unfinished string, and a trailing ESC, wait for the next write (up to kMaxHeld bytes).
// - A control character, NUL or DEL between a string's ESC and its "\" makes the parser
//   take a string of length -1. Such bytes are moved in front of the ESC, where they do
//   what they did.
// - A status-string request (DECRQSS, "ESC P $ q <name> ST") with a name the parser does
//   not know is answered through a broken format string and crashes the process. Such a
//   request is turned into one the parser ignores ("$Q").
// - REP ("CSI n b") repeats the last glyph by its width and never ends when that width is
//   0 (before any glyph, or after a combining mark with no base). The guard reports where
//   each REP ends so the emulator can let it through only after a real glyph.
// - A C1 control encoded in UTF-8 (U+0080 to U+009F) becomes a glyph of width -1 that
//   moves the cursor backwards. They become U+FFFD.
// - A CSI with more than kMaxCsiParameters parameters and sub-parameters overflows the
//   parser's argument array (the next fields are its callback pointers). Such a sequence
//   is cancelled, as terminals drop an over-long parameter list: CAN replaces the
//   separator that would overflow and the rest of the sequence, through its final byte,
//   becomes NUL, which the parser skips. Controls inside it still act.
// The guard follows the parser's view: C0 controls inside a sequence or string are
// executed and leave it as it was, NUL and DEL are skipped, CAN and SUB abort, BEL or
// "ESC \" end a string, and when a string did come in pieces only the last piece is taken
// as its command.

#include <string>
#include <string_view>
#include <vector>

namespace qp {

class ParserGuard {
public:
    static constexpr size_t kMaxHeld = 4096;
    // The parser keeps 16 arguments; each ';' or ':' starts another.
    static constexpr int kMaxCsiParameters = 16;

    // The bytes to hand to the parser now: `in` itself, or (held bytes first, sequences
    // mended) a copy in `scratch`. Valid until the next call.
    std::string_view filter(std::string_view in, std::string& scratch);
    // Positions, in the last text filter returned, of the final bytes of REP sequences.
    const std::vector<size_t>& repeats() const { return m_repeats; }
    void reset();
    bool holding() const { return !m_held.empty(); }

private:
    enum class State {
        Normal, Escape, CsiStart, CsiParams, CsiIntermediate, CsiCancelled,
        Osc, DcsStart, DcsDollar, DcsName, DcsOther, StringEscape,
    };
    enum class Action { None, Defuse, MoveBeforeEsc, Repeat, Cancel, Blank };
    static constexpr size_t kNone = size_t(-1);

    std::string_view guardSequences(std::string_view in, std::string& scratch);
    std::string_view replaceC1(std::string_view text);
    // One byte through the parser's states, and what must be done to the text for it.
    Action step(unsigned char c, size_t at);
    Action escapeByte(unsigned char c);
    Action csiByte(unsigned char c);
    Action dcsByte(unsigned char c, size_t at);
    bool endName(bool dispatched);
    bool inString() const { return m_state >= State::Osc; }
    void startString(State state);

    State m_state = State::Normal;
    bool m_csiMarked = false;   // the CSI has a leader or an intermediate: not a plain REP
    int m_csiParameters = 0;    // parameters and sub-parameters of the CSI so far
    size_t m_escAt = 0;         // the last ESC of the text being filtered
    size_t m_stringAt = kNone;  // the ESC that opened the current string, kNone when it came earlier
    size_t m_nameAt = 0;        // the request's 'q'
    std::string m_name;         // the request's name so far
    std::string m_held;
    std::string m_c1Buffer;
    std::vector<size_t> m_repeats;
};

}  // namespace qp
