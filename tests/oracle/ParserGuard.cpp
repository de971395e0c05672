#include "tests/oracle/ParserGuard.h"

#include <algorithm>
#include <array>

namespace qp {

namespace {

constexpr char kEsc = '\x1b';
constexpr unsigned char kBel = 0x07;
constexpr char kC1Lead = '\xC2';  // U+0080 to U+009F are C2 80 to C2 9F
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
// The status-string names libvterm 0.1.4 answers without harm.
constexpr std::array<std::string_view, 5> kSafeNames{"m", "r", "s", " q", "\"q"};
static_assert(kSafeNames.size() == 5);
constexpr size_t kLongestSafeName = 2;

bool skipped(unsigned char c) { return c == 0x00 || c == 0x7F; }
bool aborts(unsigned char c) { return c == 0x18 || c == 0x1A; }
bool intermediate(unsigned char c) { return c >= 0x20 && c <= 0x2F; }
bool parameter(unsigned char c) { return (c >= '0' && c <= '9') || c == ':' || c == ';'; }
bool separator(unsigned char c) { return c == ':' || c == ';'; }
// Other C0 controls are executed and leave the sequence or string as it was; BEL too,
// except in a string, which it ends.
bool executed(unsigned char c, bool inString)
{
    return c < 0x20 && c != 0x1B && !aborts(c) && (c != kBel || !inString);
}
bool safeName(std::string_view name) { return std::find(kSafeNames.begin(), kSafeNames.end(), name) != kSafeNames.end(); }

}  // namespace

void ParserGuard::reset()
{
    m_state = State::Normal;
    m_held.clear();
    m_name.clear();
    m_repeats.clear();
}

std::string_view ParserGuard::filter(std::string_view in, std::string& scratch)
{
    // C1 pairs never straddle writes (callers keep UTF-8 characters whole), so this may
    // come first and leave every position below to the sequences.
    return guardSequences(replaceC1(in), scratch);
}

std::string_view ParserGuard::replaceC1(std::string_view text)
{
    auto isC1 = [&](size_t at) {
        return at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[at + 1]) <= 0x9F;
    };
    size_t at = text.find(kC1Lead);
    while (at != std::string_view::npos && !isC1(at))
        at = text.find(kC1Lead, at + 1);
    if (at == std::string_view::npos)
        return text;
    std::string out(text.substr(0, at));
    for (; at < text.size(); ++at) {
        if (text[at] == kC1Lead && isC1(at)) {
            out += kReplacement;
            ++at;
        } else {
            out += text[at];
        }
    }
    m_c1Buffer = std::move(out);
    return m_c1Buffer;
}

std::string_view ParserGuard::guardSequences(std::string_view in, std::string& scratch)
{
    m_repeats.clear();
    bool copied = !m_held.empty();
    if (copied) {
        scratch = std::move(m_held);
        m_held.clear();
        scratch.append(in);
        in = scratch;
    }
    if (m_state == State::Normal && in.find(kEsc) == std::string_view::npos)
        return in;
    if (inString()) {
        // A string that came in pieces: the parser's command starts again here.
        m_stringAt = kNone;
        if (m_state != State::Osc && m_state != State::StringEscape)
            m_state = State::DcsStart;
    }
    auto edit = [&]() -> std::string& {
        if (!copied) {
            scratch.assign(in);
            in = scratch;
            copied = true;
        }
        return scratch;
    };
    auto defuse = [&] { edit()[m_nameAt] = 'Q'; };  // no longer a request the parser answers
    for (size_t i = 0; i < in.size(); ++i) {
        if (m_state == State::Normal && (i = in.find(kEsc, i)) == std::string_view::npos)
            break;
        switch (step(static_cast<unsigned char>(in[i]), i)) {
        case Action::None: break;
        case Action::Defuse: defuse(); break;
        case Action::Repeat: m_repeats.push_back(i); break;
        case Action::Cancel: edit()[i] = '\x18'; break;
        case Action::Blank: edit()[i] = '\0'; break;
        case Action::MoveBeforeEsc: {
            std::string& text = edit();
            std::rotate(text.begin() + long(m_escAt), text.begin() + long(m_escAt) + 1, text.begin() + long(i) + 1);
            m_escAt = i;
            break;
        }
        }
        // Parameters change nothing: pass over them at once (most of a colour sequence), up
        // to a separator that would start one too many.
        while (m_state == State::CsiParams && i + 1 < in.size() && parameter(static_cast<unsigned char>(in[i + 1]))) {
            if (separator(static_cast<unsigned char>(in[i + 1]))) {
                if (m_csiParameters >= kMaxCsiParameters)
                    break;
                ++m_csiParameters;
            }
            ++i;
        }
    }
    if (m_state == State::Normal || (m_state >= State::CsiStart && m_state <= State::CsiCancelled))
        return in;
    // Unfinished ESC or string: hold it back from its ESC so the parser gets it whole.
    const size_t from = m_state == State::Escape ? m_escAt : m_stringAt == kNone ? 0 : m_stringAt;
    if (in.size() - from <= kMaxHeld) {
        m_held.assign(in.substr(from));
        if (m_state == State::Escape || m_stringAt != kNone)
            m_state = State::Normal;  // the held bytes start with the opening ESC
        std::erase_if(m_repeats, [&](size_t at) { return at >= from; });
        return in.substr(0, from);
    }
    // Too long to hold: the parser takes it in pieces.
    if (m_state == State::DcsName) {
        m_state = State::DcsOther;
        if (endName(true))
            defuse();
    }
    m_stringAt = kNone;
    return in;
}

bool ParserGuard::endName(bool dispatched)
{
    const bool unsafe = dispatched && !safeName(m_name);
    m_name.clear();
    return unsafe;
}

void ParserGuard::startString(State state)
{
    m_state = state;
    m_stringAt = m_escAt;
}

ParserGuard::Action ParserGuard::step(unsigned char c, size_t at)
{
    const auto defuseIf = [](bool unsafe) { return unsafe ? Action::Defuse : Action::None; };
    if (m_state == State::StringEscape && (skipped(c) || executed(c, false)))
        return Action::MoveBeforeEsc;
    if (skipped(c) || (executed(c, inString()) && m_state != State::Normal))
        return Action::None;
    if (aborts(c)) {
        const bool wasName = m_state == State::DcsName;
        m_state = State::Normal;
        return defuseIf(wasName && endName(false));
    }
    if (c == kEsc) {
        const bool wasName = m_state == State::DcsName;
        // An ESC in a string may begin its terminator; anywhere else it begins a sequence.
        m_state = inString() && m_state != State::StringEscape ? State::StringEscape : State::Escape;
        m_escAt = at;
        // After an ESC the request may still be aborted, but defusing one that is then
        // dropped changes nothing.
        return defuseIf(wasName && endName(true));
    }
    switch (m_state) {
    case State::Normal:
        return Action::None;
    case State::Escape:
    case State::StringEscape:
        return escapeByte(c);
    case State::CsiStart:
    case State::CsiParams:
    case State::CsiIntermediate:
        return csiByte(c);
    case State::CsiCancelled:
        // Parameters and intermediates up to the final byte go; a byte past the final
        // bytes' range ends the sequence as the parser would and stays text.
        if (c >= 0x40)
            m_state = State::Normal;
        return c < 0x80 ? Action::Blank : Action::None;
    case State::Osc:
        if (c == kBel)
            m_state = State::Normal;
        return Action::None;
    default:
        return dcsByte(c, at);
    }
}

// After ESC. The parser stays in its escape state over intermediates and bytes it does not
// handle; 'P', '[' and ']' open their sequences even after intermediates.
ParserGuard::Action ParserGuard::escapeByte(unsigned char c)
{
    if (c == 'P') {
        startString(State::DcsStart);
    } else if (c == ']') {
        startString(State::Osc);
    } else if (c == '[') {
        m_state = State::CsiStart;
        m_csiMarked = false;
        m_csiParameters = 1;
    } else if (intermediate(c) || c >= 0x80) {
        m_state = State::Escape;
    } else {
        m_state = State::Normal;  // also "ESC \", the end of a string
    }
    return Action::None;
}

// Leader, parameters, intermediates, final byte.
ParserGuard::Action ParserGuard::csiByte(unsigned char c)
{
    if (m_state == State::CsiStart) {
        if (c >= 0x3C && c <= 0x3F) {
            m_csiMarked = true;
            return Action::None;
        }
        m_state = State::CsiParams;
    }
    if (m_state == State::CsiParams) {
        if (separator(c) && ++m_csiParameters > kMaxCsiParameters) {
            m_state = State::CsiCancelled;
            return Action::Cancel;
        }
        if (parameter(c))
            return Action::None;
        m_state = State::CsiIntermediate;
    }
    if (intermediate(c)) {
        m_csiMarked = true;
        return Action::None;
    }
    m_state = State::Normal;
    return c == 'b' && !m_csiMarked ? Action::Repeat : Action::None;
}

ParserGuard::Action ParserGuard::dcsByte(unsigned char c, size_t at)
{
    if (m_state == State::DcsName) {
        if (c == kBel) {
            m_state = State::Normal;
            return endName(true) ? Action::Defuse : Action::None;
        }
        m_name += char(c);
        if (m_name.size() <= kLongestSafeName)
            return Action::None;
        m_state = State::DcsOther;
        return endName(true) ? Action::Defuse : Action::None;
    }
    if (c == kBel)
        m_state = State::Normal;
    else if (m_state == State::DcsStart)
        m_state = c == '$' ? State::DcsDollar : State::DcsOther;
    else if (m_state == State::DcsDollar) {
        m_state = c == 'q' ? State::DcsName : State::DcsOther;
        m_nameAt = at;
        m_name.clear();
    }
    return Action::None;
}

}  // namespace qp
