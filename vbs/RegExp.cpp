// VBScript.RegExp over PCRE2 (16-bit code units, as the script's strings are). The pattern
// is VBScript's regular expression language; escapes and constructs PCRE2 reads otherwise
// are translated, and PCRE2's own extensions are refused as VBScript refuses them (5017).
#define PCRE2_CODE_UNIT_WIDTH 16
#include "Builtins.h"
#include "Convert.h"
#include "Errors.h"
#include "ScriptObjects.h"

#include <pcre2.h>

#include <memory>

namespace qp::vbs {

namespace {

bool isHex(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isQuantifier(char16_t c)
{
    return c == '*' || c == '+' || c == '?' || c == '}';
}

// The pattern in PCRE2's syntax (with PCRE2_ALT_BSUX for \uXXXX and \xXX), or false for
// what VBScript does not accept: a possessive quantifier, (?< and (?P groups, (?flags).
bool translatePattern(std::u16string_view in, std::u16string& out)
{
    out.clear();
    out.reserve(in.size() + 8);
    bool inClass = false;
    for (size_t i = 0; i < in.size(); ++i) {
        char16_t c = in[i];
        if (c == '\\') {
            if (i + 1 >= in.size())
                return false;  // a trailing backslash
            char16_t e = in[++i];
            switch (e) {
            // Escapes both languages read alike.
            case 'd': case 'D': case 'w': case 'W': case 's': case 'S': case 'b': case 'B':
            case 'n': case 'r': case 't': case 'f':
                out += u'\\';
                out += e;
                break;
            case 'v': out += u"\\x0b"; break;  // PCRE2's \v is a class of vertical spaces
            case 'c':
                if (i + 1 < in.size() && ((in[i + 1] >= 'a' && in[i + 1] <= 'z') || (in[i + 1] >= 'A' && in[i + 1] <= 'Z'))) {
                    out += u"\\c";
                    out += in[++i];
                } else {
                    out += u"\\\\c";
                }
                break;
            case 'x':
                if (i + 2 < in.size() && isHex(in[i + 1]) && isHex(in[i + 2])) {
                    out += u"\\x";
                    out += in[++i];
                    out += in[++i];
                } else {
                    out += u'x';
                }
                break;
            case 'u':
                if (i + 4 < in.size() && isHex(in[i + 1]) && isHex(in[i + 2]) && isHex(in[i + 3]) && isHex(in[i + 4])) {
                    out += u"\\u";
                    out.append(in.substr(i + 1, 4));
                    i += 4;
                } else {
                    out += u'u';
                }
                break;
            default:
                if (e >= '0' && e <= '9') {
                    out += u'\\';
                    out += e;
                } else if ((e >= 'a' && e <= 'z') || (e >= 'A' && e <= 'Z')) {
                    out += e;  // any other letter stands for itself (\A is "A", not PCRE2's anchor)
                } else {
                    out += u'\\';
                    out += e;
                }
            }
            continue;
        }
        if (inClass) {
            if (c == ']')
                inClass = false;
            if (c == '[')
                out += u'\\';  // literal, never the start of a POSIX class
            out += c;
            continue;
        }
        switch (c) {
        case '[': {
            // "[]" matches nothing and "[^]" anything; PCRE2 would read the bracket as a member.
            bool negated = i + 1 < in.size() && in[i + 1] == '^';
            size_t close = i + 1 + (negated ? 1 : 0);
            if (close < in.size() && in[close] == ']') {
                out += negated ? u"[\\s\\S]" : u"(?!)";
                i = close;
                break;
            }
            inClass = true;
            out += u'[';
            if (negated) {
                out += u'^';
                ++i;
            }
            break;
        }
        case '(':
            if (i + 1 < in.size() && in[i + 1] == '?') {
                if (i + 2 >= in.size() || (in[i + 2] != ':' && in[i + 2] != '=' && in[i + 2] != '!'))
                    return false;
            }
            out += c;
            break;
        case '*': case '+': case '?': case '}':
            out += c;
            // a++ is possessive to PCRE2, a syntax error to VBScript.
            if (c != '?' && i + 1 < in.size() && in[i + 1] == '+')
                return false;
            if (c == '?' && i + 1 < in.size() && in[i + 1] == '+' && i > 0 && isQuantifier(in[i - 1]))
                return false;
            break;
        case '$':
            out += c;
            break;
        default:
            out += c;
        }
    }
    return !inClass;
}

struct CodeDeleter {
    void operator()(pcre2_code* c) const { pcre2_code_free(c); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* m) const { pcre2_match_data_free(m); }
};

struct MatchInfo {
    size_t start = 0, end = 0;
    std::vector<std::pair<size_t, size_t>> groups;  // PCRE2_UNSET when a group took no part
};

// Item(i) of a match's groups or of the matches: an index from 0, else 5 Invalid call.
Variant itemAt(const std::vector<Variant>& values, const Variant& index)
{
    int32_t i = toLng(index);
    if (i < 0 || size_t(i) >= values.size())
        raise(err::InvalidCall);
    return values[size_t(i)];
}

// A read-only collection: a match's SubMatches, or the Matches of Execute. Item (the default
// member) and Count; For Each walks it.
class ValueList final : public BuiltinObject, public Enumerable {
public:
    enum Member : DispId { Item = 1, Count };
    ValueList(std::vector<Variant> values, std::u16string_view type) : m_values(std::move(values)), m_type(type) {}
    std::u16string typeName() const override { return std::u16string(m_type); }
    std::vector<Variant> snapshot() const override { return m_values; }

protected:
    const std::vector<std::u16string_view>& members() const override
    {
        static const std::vector<std::u16string_view> names = {u"Item", u"Count"};
        return names;
    }
    Variant call(DispId id, InvokeKind kind, Args& args) override
    {
        requirePut(kind, false);
        switch (id) {
        case kDispIdValue:
        case Item:
            requireArgs(args, 1, 1);
            return itemAt(m_values, args[0]);
        case Count:
            requireArgs(args, 0, 0);
            return Variant::fromLong(int32_t(m_values.size()));
        default: raise(err::NoSuchMember);
        }
    }

private:
    std::vector<Variant> m_values;
    std::u16string_view m_type;  // a literal
};

class Match final : public BuiltinObject {
public:
    enum Member : DispId { Value = 1, FirstIndex, Length, SubMatches };
    Match(std::u16string value, size_t index, std::vector<Variant> groups)
        : m_value(std::move(value)), m_index(index), m_groups(std::move(groups)) {}
    std::u16string typeName() const override { return u"IMatch2"; }

protected:
    const std::vector<std::u16string_view>& members() const override
    {
        static const std::vector<std::u16string_view> names = {u"Value", u"FirstIndex", u"Length", u"SubMatches"};
        return names;
    }
    Variant call(DispId id, InvokeKind kind, Args& args) override
    {
        requirePut(kind, false);
        if (id == SubMatches && args.size() == 1)
            return itemAt(m_groups, args[0]);  // m.SubMatches(i): the collection's default member
        requireArgs(args, 0, 0);
        switch (id) {
        case kDispIdValue:
        case Value: return Variant::fromString(m_value);
        case FirstIndex: return Variant::fromLong(int32_t(m_index));
        case Length: return Variant::fromLong(int32_t(m_value.size()));
        case SubMatches: return Variant::fromObject(ObjectRef(new ValueList(m_groups, u"ISubMatches")));
        default: raise(err::NoSuchMember);
        }
    }

private:
    std::u16string m_value;
    size_t m_index;
    std::vector<Variant> m_groups;
};

enum Member : DispId { Pattern = 1, Global, IgnoreCase, Multiline, Test, Replace, Execute };

class RegExp final : public BuiltinObject {
public:
    explicit RegExp(size_t maxString) : m_maxString(maxString) {}
    std::u16string typeName() const override { return u"IRegExp2"; }

protected:
    const std::vector<std::u16string_view>& members() const override
    {
        static const std::vector<std::u16string_view> names = {u"Pattern", u"Global", u"IgnoreCase", u"Multiline",
                                                               u"Test", u"Replace", u"Execute"};
        return names;
    }

    Variant call(DispId id, InvokeKind kind, Args& args) override
    {
        bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
        auto flag = [&](bool& f) -> Variant {
            if (put) {
                requireArgs(args, 1, 1);
                bool v = toBoolean(args[0]);
                if (v != f)
                    m_code.reset();
                f = v;
                return Variant();
            }
            requireArgs(args, 0, 0);
            return Variant::fromBool(f);
        };
        switch (id) {
        case kDispIdValue:
        case Pattern:
            if (put) {
                requireArgs(args, 1, 1);
                m_pattern = stringArg(args[0]);
                m_code.reset();
                return Variant();
            }
            requireArgs(args, 0, 0);
            return Variant::fromString(m_pattern);
        case Global: return flag(m_global);
        case IgnoreCase: return flag(m_ignoreCase);
        case Multiline: return flag(m_multiline);
        case Test: {
            requirePut(kind, false);
            requireArgs(args, 1, 1);
            std::u16string s = stringArg(args[0]);
            MatchInfo m;
            return Variant::fromBool(find(s, 0, m));
        }
        case Replace: {
            requirePut(kind, false);
            requireArgs(args, 2, 2);
            return Variant::fromString(replace(stringArg(args[0]), stringArg(args[1])));
        }
        case Execute: {
            requirePut(kind, false);
            requireArgs(args, 1, 1);
            return Variant::fromObject(execute(stringArg(args[0])));
        }
        default: raise(err::NoSuchMember);
        }
    }

private:
    pcre2_code* code()
    {
        if (m_code)
            return m_code.get();
        std::u16string translated;
        if (!translatePattern(m_pattern, translated))
            raise(err::RegExpSyntax);
        uint32_t options = PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF;
        if (m_ignoreCase)
            options |= PCRE2_CASELESS;
        options |= m_multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
        std::unique_ptr<pcre2_compile_context, void (*)(pcre2_compile_context*)> cc(pcre2_compile_context_create(nullptr),
                                                                                     pcre2_compile_context_free);
        pcre2_set_newline(cc.get(), PCRE2_NEWLINE_LF);  // "." is any character but a line feed
        int error = 0;
        PCRE2_SIZE offset = 0;
        pcre2_code* c = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(), options,
                                      &error, &offset, cc.get());
        if (!c)
            raise(err::RegExpSyntax);
        pcre2_jit_compile(c, PCRE2_JIT_COMPLETE);  // where the JIT is unavailable, the interpreter runs
        m_code.reset(c);
        m_data.reset(pcre2_match_data_create_from_pattern(c, nullptr));
        return c;
    }

    bool find(const std::u16string& s, size_t from, MatchInfo& m)
    {
        pcre2_code* c = code();
        if (from > s.size())
            return false;
        int rc = pcre2_match(c, reinterpret_cast<PCRE2_SPTR>(s.data()), s.size(), from, 0, m_data.get(), nullptr);
        if (rc == PCRE2_ERROR_NOMATCH)
            return false;
        if (rc < 0)
            raise(err::OutOfMemory);  // the match limits: a pattern too costly for this text
        PCRE2_SIZE* ov = pcre2_get_ovector_pointer(m_data.get());
        uint32_t pairs = pcre2_get_ovector_count(m_data.get());
        uint32_t groups = 0;
        pcre2_pattern_info(c, PCRE2_INFO_CAPTURECOUNT, &groups);
        m.start = ov[0];
        m.end = ov[1];
        m.groups.clear();
        for (uint32_t g = 1; g <= groups; ++g) {
            if (g < pairs && ov[2 * g] != PCRE2_UNSET)
                m.groups.push_back({ov[2 * g], ov[2 * g + 1]});
            else
                m.groups.push_back({PCRE2_UNSET, PCRE2_UNSET});
        }
        return true;
    }

    // The next search after a match: an empty match moves on by one code unit.
    static size_t next(const MatchInfo& m) { return m.end > m.start ? m.end : m.end + 1; }

    void expand(std::u16string& out, const std::u16string& s, const MatchInfo& m, const std::u16string& with)
    {
        for (size_t i = 0; i < with.size(); ++i) {
            char16_t c = with[i];
            if (c != '$' || i + 1 >= with.size()) {
                out += c;
                continue;
            }
            char16_t d = with[i + 1];
            if (d == '$') {
                out += u'$';
                ++i;
            } else if (d == '&') {
                out.append(s, m.start, m.end - m.start);
                ++i;
            } else if (d == '`') {
                out.append(s, 0, m.start);
                ++i;
            } else if (d == '\'') {
                out.append(s, m.end);
                ++i;
            } else if (d >= '0' && d <= '9') {
                // $n or $nn, the longest that names an existing group.
                size_t n = d - '0', used = 1;
                if (i + 2 < with.size() && with[i + 2] >= '0' && with[i + 2] <= '9') {
                    size_t two = n * 10 + (with[i + 2] - '0');
                    if (two >= 1 && two <= m.groups.size()) {
                        n = two;
                        used = 2;
                    }
                }
                if (n >= 1 && n <= m.groups.size()) {
                    auto [a, b] = m.groups[n - 1];
                    if (a != PCRE2_UNSET)
                        out.append(s, a, b - a);
                    i += used;
                } else {
                    out += c;
                }
            } else {
                out += c;
            }
            if (out.size() > m_maxString)
                raise(err::OutOfMemory);
        }
    }

    std::u16string replace(const std::u16string& s, const std::u16string& with)
    {
        std::u16string out;
        size_t copied = 0, from = 0;
        MatchInfo m;
        while (find(s, from, m)) {
            out.append(s, copied, m.start - copied);
            expand(out, s, m, with);
            copied = m.end;
            if (out.size() > m_maxString)
                raise(err::OutOfMemory);
            if (!m_global)
                break;
            from = next(m);
        }
        out.append(s, copied);
        if (out.size() > m_maxString)
            raise(err::OutOfMemory);
        return out;
    }

    ObjectRef execute(const std::u16string& s)
    {
        std::vector<Variant> items;
        size_t from = 0;
        MatchInfo m;
        while (find(s, from, m)) {
            std::vector<Variant> groups;
            for (auto [a, b] : m.groups)
                groups.push_back(a == PCRE2_UNSET ? Variant() : Variant::fromString(s.substr(a, b - a)));
            items.push_back(Variant::fromObject(ObjectRef(new Match(s.substr(m.start, m.end - m.start), m.start,
                                                                    std::move(groups)))));
            if (!m_global)
                break;
            from = next(m);
        }
        return ObjectRef(new ValueList(std::move(items), u"IMatchCollection2"));
    }

    size_t m_maxString;
    std::u16string m_pattern;
    bool m_global = false, m_ignoreCase = false, m_multiline = false;
    std::unique_ptr<pcre2_code, CodeDeleter> m_code;
    std::unique_ptr<pcre2_match_data, MatchDataDeleter> m_data;
};

}  // namespace

ObjectRef newRegExp(Context& ctx)
{
    return ObjectRef(new RegExp(ctx.limits.maxStringLength));
}

}  // namespace qp::vbs
