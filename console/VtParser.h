#pragma once
// The byte-level parser of a DEC/xterm terminal: a table-driven state machine over ground,
// escape, CSI, OSC, DCS and ignored strings, with C0 controls acted on anywhere (as a VT
// does, also inside sequences) and a fast path that hands runs of printable ASCII over
// whole. UTF-8 is decoded here; a character split across two writes stays whole, because
// the decoder's state outlives a write. Malformed UTF-8 becomes U+FFFD.
//
// What it hands over goes to a handler (see below); the parser keeps no screen state.
// Bounded: a CSI keeps at most kMaxParameters parameters (a longer one is dropped whole), a
// string at most kMaxString bytes (the rest is dropped).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qp {

struct CsiParams {
    static constexpr int kMaxParameters = 16;
    static constexpr int32_t kMissing = -1;
    int count = 0;  // parameters and sub-parameters
    std::array<int32_t, kMaxParameters> values{};
    // Bit i: values[i] is followed by a sub-parameter (':').
    uint32_t subMask = 0;
    char leader = 0;        // '<' '=' '>' '?' or 0
    char intermediate = 0;  // one byte 0x20-0x2F or 0
    // More than one leader or intermediate byte: no sequence this terminal knows.
    bool unusual = false;

    // A new sequence: one missing parameter, no leader or intermediate.
    void begin()
    {
        count = 1;
        values[0] = kMissing;
        subMask = 0;
        leader = 0;
        intermediate = 0;
        unusual = false;
    }
    int32_t raw(int i) const { return i < count ? values[size_t(i)] : kMissing; }
    // The parameter, or `fallback` when missing.
    int32_t get(int i, int32_t fallback) const
    {
        const int32_t v = raw(i);
        return v == kMissing ? fallback : v;
    }
    // A count: missing or 0 means 1.
    int32_t count1(int i) const
    {
        const int32_t v = raw(i);
        return v <= 0 ? 1 : v;
    }
    bool hasSub(int i) const { return i < 32 && (subMask >> i) & 1u; }
};

// What a parser hands its handler. The handler is a template parameter, not a base class, so
// that the calls (several per escape sequence) are direct and the hot ones inline; the
// terminal (Terminal.h) is the handler, and Terminal.cpp instantiates the parser's member
// functions from VtParserImpl.h. A handler has these members:
//   void printAscii(const char* text, size_t length);
//       Bytes 0x20-0x7E, at least one.
//   void printText(const char32_t* chars, size_t length);
//       Decoded characters beyond ASCII (U+FFFD for malformed input), at least one.
//   const unsigned char* printRun(const unsigned char* text, const unsigned char* ascii,
//                                 const unsigned char* end);
//       Text from `text` (printable ASCII up to `ascii`, where a byte 0xC0-0xFF follows) with
//       no character in progress: the handler takes as much as it likes of its printable
//       ASCII and whole two- and three-byte UTF-8 characters (vt::wholeChar) and returns
//       where it stopped, which may be `text` itself. The same as handing its ASCII over with
//       printAscii and its characters with printText; what it leaves is handed over that way.
//   void execute(unsigned char control);
//       A C0 control, or a C1 control given as ESC and a byte 0x40-0x5F (as its 8-bit value).
//   void escape(std::string_view intermediates, char final);
//       ESC, intermediates (0x20-0x2F), a final byte 0x30-0x7E.
//   void csi(const CsiParams& params, char final);
//   void plainCsi(const CsiParams& params, char final);
//       The same for a CSI with no leader, intermediate or sub-parameter, as most are: a
//       handler may take the usual ones by their final byte alone. Only the parameters
//       (count and values) are set; the rest of `params` is left as it was.
//   bool quickCsi(const CsiParams& params, char final);
//       A plain CSI as plainCsi() takes it, offered here first: true when the handler took
//       it, false to have it handed to plainCsi(). What a handler takes here it takes
//       without calling out of line (so that the parser's hottest function needs no stack
//       frame).
//   void osc(std::string_view text);
//       The text between "ESC ]" and its terminator (BEL or ESC \).
//   void dcs(std::string_view text);
//       The text between "ESC P" and ESC \ (or BEL).

// The limits of every parser, whatever its handler.
struct VtParserLimits {
    static constexpr size_t kMaxString = 4096;
    static constexpr size_t kMaxIntermediates = 15;
};

template <typename Handler>
class BasicVtParser : public VtParserLimits {
public:
    explicit BasicVtParser(Handler& handler) : m_handler(handler) {}
    void write(std::string_view bytes);
    // Drops any sequence or character in progress.
    void reset();
    // True while a sequence or a UTF-8 character is incomplete.
    bool inSequence() const { return m_state != State::Ground || m_utf8Remaining != 0; }

private:
    enum class State : uint8_t {
        Ground,
        Escape,
        CsiEntry,
        CsiParam,
        CsiIntermediate,
        CsiIgnore,
        Osc,
        Dcs,
        StringEscape,   // ESC inside OSC or DCS: "\" ends it, anything else drops it
        Ignored,        // SOS, PM, APC: read to their end and dropped
        IgnoredEscape,
    };

    // Decodes a run of non-ASCII bytes from `p`; returns where the run ended.
    const unsigned char* decodeUtf8(const unsigned char* p, const unsigned char* end);
    // Inline in write(): it needs no stack frame, and most sequences end in it.
    [[gnu::always_inline]] inline const unsigned char* wholeCsi(const unsigned char* p, const unsigned char* end);
    [[gnu::noinline]] const unsigned char* plainCsi(char final, const unsigned char* next);
    [[gnu::noinline]] const unsigned char* generalCsi(const unsigned char* p, const unsigned char* end);
    void flushText();
    void pushChar(char32_t c);
    // One byte outside the ground state's fast paths.
    void step(unsigned char c);
    void escapeByte(unsigned char c);
    void csiByte(unsigned char c);
    void startCsi();
    void endString(bool dispatch);

    Handler& m_handler;
    State m_state = State::Ground;
    State m_stringKind = State::Osc;  // which string an ESC inside a string belongs to

    // UTF-8 decoder state, kept across writes.
    uint32_t m_utf8Code = 0;
    uint8_t m_utf8Remaining = 0;
    uint8_t m_utf8Total = 0;
    std::array<char32_t, 256> m_text{};
    size_t m_textLength = 0;

    CsiParams m_csi;
    bool m_paramStarted = false;
    std::string m_intermediates;
    std::string m_string;
};

}  // namespace qp
