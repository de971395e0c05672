#pragma once
// The parser's member functions, instantiated where the handler is defined (Terminal.cpp),
// so that its calls into the handler are direct and can be inlined.

#include "VtParser.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qp {

namespace vt {

inline constexpr char32_t kReplacement = 0xFFFD;
inline constexpr int32_t kMaxValue = 0x7FFFFFFE;

// What a byte is to the state machine, whatever the state.
enum ByteClass : uint8_t {
    kPrint,         // 0x20-0x7E outside sequences
    kControl,       // C0 acted on anywhere
    kIgnore,        // NUL, DEL
    kCancel,        // CAN, SUB: abort a sequence
    kEsc,
    kBel,           // ends a string, else a control
    kHigh,          // 0x80-0xFF
};

constexpr std::array<uint8_t, 256> makeClasses()
{
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        uint8_t k = kPrint;
        if (c < 0x20)
            k = kControl;
        if (c == 0x00 || c == 0x7F)
            k = kIgnore;
        if (c == 0x18 || c == 0x1A)
            k = kCancel;
        if (c == 0x1B)
            k = kEsc;
        if (c == 0x07)
            k = kBel;
        if (c >= 0x80)
            k = kHigh;
        t[size_t(c)] = k;
    }
    return t;
}
inline constexpr std::array<uint8_t, 256> kClasses = makeClasses();

constexpr bool isIntermediate(unsigned char c) { return c >= 0x20 && c <= 0x2F; }

// A decoded character of `length` bytes, or U+FFFD when it is overlong, a surrogate, a
// non-character, beyond Unicode or a C1 control.
constexpr char32_t checkedChar(uint32_t cp, int length)
{
    constexpr uint32_t kShortest[7] = {0, 0, 0x80, 0x800, 0x10000, 0x200000, 0x4000000};
    if (cp < kShortest[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF || cp > 0x10FFFF ||
        cp < 0xA0)
        return kReplacement;
    return cp;
}

// A CSI parameter (0 or more) after one more decimal digit (0-9); what would grow beyond
// kMaxValue stays at kMaxValue.
constexpr int32_t grown(int32_t v, uint32_t digit)
{
    if (v < kMaxValue / 10) [[likely]]
        return v * 10 + int32_t(digit);
    return v == kMaxValue / 10 && digit <= kMaxValue % 10 ? v * 10 + int32_t(digit) : kMaxValue;
}
static_assert(grown(kMaxValue / 10, 9) == kMaxValue && grown(kMaxValue / 10, 5) == kMaxValue - 1);

// The same for a parameter that may be missing: a missing one starts at the digit.
constexpr int32_t withDigit(int32_t v, unsigned char digit)
{
    if (v == CsiParams::kMissing)
        return digit - '0';
    return grown(v, uint32_t(digit - '0'));
}

constexpr bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

constexpr bool isPrintable(unsigned char c) { return static_cast<unsigned char>(c - 0x20) < 0x5F; }

// Where the run of printable ASCII (0x20-0x7E) from p ends: sixteen bytes a step with SSE2.
inline const unsigned char* printableEnd(const unsigned char* p, const unsigned char* end)
{
#if defined(__SSE2__)
    // Adding 0x60 takes 0x20-0x7E to the signed bytes -128..-34 and every other byte above.
    const __m128i shift = _mm_set1_epi8(0x60);
    const __m128i limit = _mm_set1_epi8(-33);
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int printable = _mm_movemask_epi8(_mm_cmplt_epi8(_mm_add_epi8(bytes, shift), limit));
        if (printable != 0xFFFF)
            return p + __builtin_ctz(~unsigned(printable));
        p += 16;
    }
#endif
    while (p < end && isPrintable(*p))
        ++p;
    return p;
}

// How many bytes the whole two- or three-byte character at p takes (0 when it is not one:
// ASCII, a cut or malformed sequence, a four-byte character); its UTF-16 unit in `unit`.
inline int wholeChar(const unsigned char* p, const unsigned char* end, char16_t& unit)
{
    const unsigned char c = *p;
    if (c >= 0xC0 && c < 0xE0) {
        if (end - p < 2 || !isContinuation(p[1]))
            return 0;
        unit = char16_t(checkedChar(uint32_t(c & 0x1F) << 6 | (p[1] & 0x3F), 2));
        return 2;
    }
    if (c >= 0xE0 && c < 0xF0) {
        if (end - p < 3)
            return 0;
        uint16_t tail;  // both continuation bytes looked at together
        std::memcpy(&tail, p + 1, sizeof tail);
        if ((tail & 0xC0C0) != 0x8080)
            return 0;
        unit = char16_t(checkedChar(uint32_t(c & 0x0F) << 12 | uint32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F), 3));
        return 3;
    }
    return 0;
}

}  // namespace vt

template <typename Handler>
void BasicVtParser<Handler>::reset()
{
    m_state = State::Ground;
    m_utf8Remaining = 0;
    m_textLength = 0;
    m_string.clear();
    m_intermediates.clear();
}

template <typename Handler>
void BasicVtParser<Handler>::write(std::string_view bytes)
{
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    while (p < end) {
        if (m_state == State::Ground) {
            // Printable ASCII: the common case, handed over as a run. Text with characters
            // beyond ASCII in it goes to the handler whole, which takes what it can of it
            // (as far as it is made of whole characters, in the terminal's usual state).
            const unsigned char* run = p;
            p = vt::printableEnd(p, end);
            if (p < end && *p >= 0xC0 && m_utf8Remaining == 0) {
                const unsigned char* next = m_handler.printRun(run, p, end);
                if (next != run)
                    run = p = next;
            }
            if (p > run) {
                if (m_utf8Remaining != 0) {
                    m_utf8Remaining = 0;  // a character cut short by plain text
                    pushChar(vt::kReplacement);
                    flushText();
                }
                m_handler.printAscii(reinterpret_cast<const char*>(run), size_t(p - run));
            }
            if (p == end)
                break;
            if (*p == 0x1B && end - p >= 3 && p[1] == '[') {
                // A whole CSI sequence in the buffer: read it at once.
                if (const unsigned char* next = wholeCsi(p + 2, end)) {
                    p = next;
                    continue;
                }
            } else if (*p >= 0x80) {
                p = decodeUtf8(p, end);
                continue;
            } else if (*p == '\r' || *p == '\n') {
                do
                    m_handler.execute(*p++);  // line ends, as step() would hand them over
                while (p < end && (*p == '\r' || *p == '\n'));
                continue;
            }
        }
        step(*p++);
        // Parameters are most of a CSI: read them without going round the loop.
        while (m_state == State::CsiParam && p < end && *p >= '0' && *p <= '9') {
            int32_t& v = m_csi.values[size_t(m_csi.count - 1)];
            v = vt::withDigit(v, *p++);
        }
        // Strings: the bytes up to the next control go in at once.
        if ((m_state == State::Osc || m_state == State::Dcs) && p < end) {
            const unsigned char* run = p;
            while (p < end && *p >= 0x20 && *p != 0x7F)
                ++p;
            const size_t room = kMaxString - std::min(kMaxString, m_string.size());
            m_string.append(reinterpret_cast<const char*>(run), std::min(room, size_t(p - run)));
        }
    }
}

// Parses a CSI sequence from just after "ESC [" when all of it, up to its final byte, is in
// [p, end) and made only of parameters, at most one leader and intermediate, and a final
// byte; dispatches it and returns where it ended. Anything else (controls inside, a cut, too
// many parameters) returns null and is left to the state machine.
template <typename Handler>
const unsigned char* BasicVtParser<Handler>::wholeCsi(const unsigned char* p, const unsigned char* end)
{
    CsiParams& csi = m_csi;
    // Nearly every sequence is plain: parameters of at most three digits separated by ';',
    // and a final byte. Those are read in one pass, a parameter at a time without a loop
    // over its digits, and offered to the handler's quickCsi(), then plainCsi(); neither
    // needs to look at a leader, intermediate or sub-parameter. Anything else (or too near
    // the end of the buffer to read a parameter without looking for the end at every byte)
    // stops the pass and is read again by generalCsi(). This function calls nothing but
    // what the handler takes at once, and needs no stack frame: the rest are tail calls.
    const uintptr_t last = uintptr_t(end) - 4;  // where a parameter can start
    const unsigned char* q = p;
    int n = 0;  // parameters read
    while (uintptr_t(q) <= last) {
        // Each byte is looked at once: `c` ends as the one after the parameter. (Reading it
        // again from q would be a load the compiler cannot drop: the value's store before it
        // might have changed any byte.)
        int32_t v = CsiParams::kMissing;
        unsigned c = q[0];
        if (c - '0' <= 9) {
            v = int32_t(c - '0');
            c = q[1];
            ++q;
            if (c - '0' <= 9) {
                v = v * 10 + int32_t(c - '0');
                c = q[1];
                ++q;
                if (c - '0' <= 9) {
                    v = v * 10 + int32_t(c - '0');
                    c = q[1];
                    ++q;
                    if (c - '0' <= 9)
                        break;  // four digits or more
                }
            }
        }
        csi.values[size_t(n++)] = v;
        if (c == ';') {
            if (n == CsiParams::kMaxParameters)
                return nullptr;  // too many: the state machine drops the sequence
            ++q;
            continue;
        }
        if (c < 0x40 || c > 0x7E)
            break;
        csi.count = n;
        if (m_handler.quickCsi(csi, char(c)))
            return q + 1;
        return plainCsi(char(c), q + 1);
    }
    return generalCsi(p, end);
}

// A plain CSI the handler did not take at once; returns `next`.
template <typename Handler>
const unsigned char* BasicVtParser<Handler>::plainCsi(char final, const unsigned char* next)
{
    m_handler.plainCsi(m_csi, final);
    return next;
}

// The rest of wholeCsi(): leaders, intermediates, sub-parameters, long parameters, and
// sequences near the end of the buffer.
template <typename Handler>
const unsigned char* BasicVtParser<Handler>::generalCsi(const unsigned char* p, const unsigned char* end)
{
    CsiParams& csi = m_csi;
    // The parameter being read stays in a register; it is stored when a separator or the
    // end of the parameters closes it.
    char leader = 0;
    if (p < end && *p >= 0x3C && *p <= 0x3F)
        leader = char(*p++);
    int count = 0;  // parameters closed so far
    uint32_t subMask = 0;
    int32_t v = CsiParams::kMissing;
    for (; p < end; ++p) {
        const unsigned char c = *p;
        if (c >= '0' && c <= '9') {
            v = vt::withDigit(v, c);
        } else if (c == ';' || c == ':') {
            if (count + 1 == CsiParams::kMaxParameters)
                return nullptr;
            if (c == ':')
                subMask |= 1u << count;
            csi.values[size_t(count++)] = v;
            v = CsiParams::kMissing;
        } else {
            break;
        }
    }
    char intermediate = 0;
    if (p < end && vt::isIntermediate(*p))
        intermediate = char(*p++);
    if (p >= end || *p < 0x40 || *p > 0x7E)
        return nullptr;
    csi.values[size_t(count++)] = v;
    csi.count = count;
    csi.subMask = subMask;
    csi.leader = leader;
    csi.intermediate = intermediate;
    csi.unusual = false;
    m_handler.csi(csi, char(*p));
    return p + 1;
}

template <typename Handler>
void BasicVtParser<Handler>::pushChar(char32_t c)
{
    if (m_textLength == m_text.size())
        flushText();
    m_text[m_textLength++] = c;
}

template <typename Handler>
void BasicVtParser<Handler>::flushText()
{
    if (m_textLength != 0) {
        const size_t n = m_textLength;
        m_textLength = 0;
        m_handler.printText(m_text.data(), n);
    }
}

template <typename Handler>
const unsigned char* BasicVtParser<Handler>::decodeUtf8(const unsigned char* p, const unsigned char* end)
{
    for (; p < end && *p >= 0x80; ++p) {
        const unsigned char c = *p;
        if (c < 0xC0) {
            if (m_utf8Remaining == 0) {
                pushChar(vt::kReplacement);
                continue;
            }
            m_utf8Code = (m_utf8Code << 6) | (c & 0x3F);
            if (--m_utf8Remaining != 0)
                continue;
            pushChar(vt::checkedChar(m_utf8Code, m_utf8Total));
            continue;
        }
        if (m_utf8Remaining != 0) {
            m_utf8Remaining = 0;
            pushChar(vt::kReplacement);
        }
        // A whole two- or three-byte character (accented letters, box drawing, CJK) is read
        // at once; a cut or malformed one goes byte by byte below.
        char16_t unit;
        if (const int length = vt::wholeChar(p, end, unit)) {
            pushChar(unit);
            p += length - 1;
            continue;
        }
        if (c >= 0xFE) {
            pushChar(vt::kReplacement);
            continue;
        }
        m_utf8Total = c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF8 ? 4 : c < 0xFC ? 5 : 6;
        m_utf8Code = c & (0x7Fu >> m_utf8Total);
        m_utf8Remaining = uint8_t(m_utf8Total - 1);
    }
    flushText();
    return p;
}

template <typename Handler>
void BasicVtParser<Handler>::step(unsigned char c)
{
    switch (vt::kClasses[c]) {
    case vt::kIgnore:
        return;
    case vt::kCancel:
        if (m_state == State::Osc || m_state == State::Dcs || m_state == State::StringEscape)
            m_string.clear();
        m_state = State::Ground;
        return;
    case vt::kEsc:
        if (m_state == State::Osc || m_state == State::Dcs) {
            m_stringKind = m_state;
            m_state = State::StringEscape;
        } else if (m_state == State::Ignored) {
            m_state = State::IgnoredEscape;
        } else {
            m_string.clear();
            m_intermediates.clear();
            m_state = State::Escape;
        }
        return;
    case vt::kBel:
        if (m_state == State::Osc || m_state == State::Dcs) {
            m_stringKind = m_state;
            endString(true);
            return;
        }
        if (m_state == State::Ignored || m_state == State::IgnoredEscape) {
            m_state = State::Ground;
            return;
        }
        [[fallthrough]];
    case vt::kControl:
        // Controls act inside sequences and strings too, and leave them as they were;
        // the strings nobody reads ignore them.
        if (m_state != State::Ignored && m_state != State::IgnoredEscape)
            m_handler.execute(c);
        return;
    default:
        break;
    }
    switch (m_state) {
    case State::Ground:
        return;  // only bytes the fast paths leave: none
    case State::Escape:
        escapeByte(c);
        return;
    case State::CsiEntry:
    case State::CsiParam:
    case State::CsiIntermediate:
    case State::CsiIgnore:
        csiByte(c);
        return;
    case State::Osc:
    case State::Dcs:
        if (m_string.size() < kMaxString)
            m_string.push_back(char(c));
        return;
    case State::StringEscape:
        if (c == '\\') {
            endString(true);
            return;
        }
        m_string.clear();  // another sequence: the string is dropped
        m_intermediates.clear();
        m_state = State::Escape;
        escapeByte(c);
        return;
    case State::Ignored:
        return;
    case State::IgnoredEscape:
        m_intermediates.clear();
        m_state = c == '\\' ? State::Ground : State::Escape;
        if (m_state == State::Escape)
            escapeByte(c);
        return;
    }
}

template <typename Handler>
void BasicVtParser<Handler>::endString(bool dispatch)
{
    m_state = State::Ground;
    if (dispatch) {
        if (m_stringKind == State::Osc)
            m_handler.osc(m_string);
        else
            m_handler.dcs(m_string);
    }
    m_string.clear();
}

template <typename Handler>
void BasicVtParser<Handler>::escapeByte(unsigned char c)
{
    if (c == '[') {
        startCsi();
        return;
    }
    if (c == ']' || c == 'P') {
        m_state = c == ']' ? State::Osc : State::Dcs;
        m_string.clear();
        return;
    }
    if (vt::isIntermediate(c)) {
        if (m_intermediates.size() < kMaxIntermediates)
            m_intermediates.push_back(char(c));
        return;
    }
    if (c >= 0x80)
        return;  // not part of any escape sequence; the sequence goes on
    if (m_intermediates.empty() && (c == 'X' || c == '^' || c == '_')) {
        m_state = State::Ignored;  // SOS, PM, APC
        return;
    }
    m_state = State::Ground;
    if (m_intermediates.empty() && c >= 0x40 && c < 0x60)
        m_handler.execute(static_cast<unsigned char>(c + 0x40));  // a C1 control in 7 bits
    else if (c >= 0x30 && c < 0x7F)
        m_handler.escape(m_intermediates, char(c));
}

template <typename Handler>
void BasicVtParser<Handler>::startCsi()
{
    m_state = State::CsiEntry;
    m_csi.begin();
}

template <typename Handler>
void BasicVtParser<Handler>::csiByte(unsigned char c)
{
    if (m_state == State::CsiIgnore) {
        // Parameters and intermediates go up to the final byte; a byte beyond ASCII ends
        // the sequence and is text.
        if (c >= 0x40)
            m_state = State::Ground;
        if (c >= 0x80)
            decodeUtf8(&c, &c + 1);
        return;
    }
    if (m_state == State::CsiEntry) {
        if (c >= 0x3C && c <= 0x3F) {
            m_csi.unusual |= m_csi.leader != 0;
            m_csi.leader = char(c);
            return;
        }
        m_state = State::CsiParam;
    }
    if (m_state == State::CsiParam) {
        if (c >= '0' && c <= '9') {
            int32_t& v = m_csi.values[size_t(m_csi.count - 1)];
            v = vt::withDigit(v, c);
            return;
        }
        if (c == ':' || c == ';') {
            if (m_csi.count == CsiParams::kMaxParameters) {
                m_state = State::CsiIgnore;  // too many: the whole sequence is dropped
                return;
            }
            if (c == ':')
                m_csi.subMask |= 1u << (m_csi.count - 1);
            m_csi.values[size_t(m_csi.count++)] = CsiParams::kMissing;
            return;
        }
        m_state = State::CsiIntermediate;
    }
    if (vt::isIntermediate(c)) {
        m_csi.unusual |= m_csi.intermediate != 0;
        m_csi.intermediate = char(c);
        return;
    }
    m_state = State::Ground;
    if (c >= 0x40 && c <= 0x7E)
        m_handler.csi(m_csi, char(c));
    // else a malformed sequence, dropped with this byte
}

}  // namespace qp
