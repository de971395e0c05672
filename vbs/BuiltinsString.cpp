// String functions. Positions are 1-based and count UTF-16 code units, as VBScript does.
#include "Builtins.h"
#include "Convert.h"
#include "Errors.h"
#include "Operators.h"
#include "Text.h"

#include <algorithm>

namespace qp::vbs {

namespace {

bool textCompareArg(BuiltinArgs args, size_t i)
{
    if (isMissing(args, i))
        return false;
    int32_t mode = longArg(args[i]);
    if (mode < 0)
        raise(err::InvalidCall);
    return mode != 0;
}

// Position (0-based) of needle in hay at or after `from`, or npos.
size_t findText(std::u16string_view hay, std::u16string_view needle, size_t from, bool ignoreCase)
{
    if (!ignoreCase)
        return hay.find(needle, from);
    if (needle.size() > hay.size())
        return std::u16string_view::npos;
    for (size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (compareText(hay.substr(i, needle.size()), needle, true) == 0)
            return i;
    return std::u16string_view::npos;
}

size_t findTextBackward(std::u16string_view hay, std::u16string_view needle, size_t endAt, bool ignoreCase)
{
    // The last match that ends at or before endAt (a length).
    if (needle.size() > endAt)
        return std::u16string_view::npos;
    for (size_t i = endAt - needle.size() + 1; i-- > 0;)
        if (compareText(hay.substr(i, needle.size()), needle, ignoreCase) == 0)
            return i;
    return std::u16string_view::npos;
}

int32_t nonNegative(const Variant& v)
{
    int32_t n = longArg(v);
    if (n < 0)
        raise(err::InvalidCall);
    return n;
}

// Latin-1 stands in for the single-byte part of the ANSI code page in Chr and Asc.
char16_t ansiChar(int32_t code)
{
    return char16_t(code);
}

const Array& oneDimensional(const Variant& v)
{
    if (!v.isArray())
        raise(err::TypeMismatch);
    const Array& a = *v.array();
    if (a.dimensions() != 1)
        raise(err::SubscriptRange);
    return a;
}

}  // namespace

Variant builtinLen(Context&, BuiltinArgs args)
{
    const Variant& v = args[0];
    if (v.isNull())
        return v;
    if (v.isString())
        return Variant::fromLong(int32_t(v.string().size()));
    return Variant::fromLong(int32_t(toStr(v).size()));
}

Variant builtinLeft(Context&, BuiltinArgs args)
{
    int32_t n = nonNegative(args[1]);
    if (args[0].isNull())
        return args[0];
    std::u16string tmp;
    const std::u16string& s = textOf(args[0], tmp);
    return Variant::fromString(std::u16string_view(s).substr(0, size_t(n)));
}

Variant builtinRight(Context&, BuiltinArgs args)
{
    int32_t n = nonNegative(args[1]);
    if (args[0].isNull())
        return args[0];
    std::u16string tmp;
    const std::u16string& s = textOf(args[0], tmp);
    size_t keep = std::min(s.size(), size_t(n));
    return Variant::fromString(std::u16string_view(s).substr(s.size() - keep));
}

Variant builtinMid(Context&, BuiltinArgs args)
{
    int32_t start = longArg(args[1]);
    if (start < 1)
        raise(err::InvalidCall);
    size_t len = std::u16string::npos;
    if (!isMissing(args, 2))
        len = size_t(nonNegative(args[2]));
    if (args[0].isNull())
        return args[0];
    std::u16string tmp;
    const std::u16string& s = textOf(args[0], tmp);
    if (size_t(start) > s.size())
        return Variant::fromString(std::u16string());
    return Variant::fromString(std::u16string_view(s).substr(size_t(start) - 1, len));
}

Variant builtinInStr(Context&, BuiltinArgs args)
{
    // InStr([start,] string1, string2[, compare])
    size_t first = args.size() >= 3 ? 1 : 0;
    int32_t start = 1;
    if (first == 1) {
        if (args[0].isNull())
            raise(err::InvalidNull);
        start = longArg(args[0]);
        if (start < 1)
            raise(err::InvalidCall);
    }
    bool ignoreCase = textCompareArg(args, 3);
    const Variant &a = args[first], &b = args[first + 1];
    if (a.isNull() || b.isNull())
        return Variant::null();
    std::u16string t1, t2;
    const std::u16string& hay = textOf(a, t1);
    const std::u16string& needle = textOf(b, t2);
    if (hay.empty())
        return Variant::fromLong(0);
    if (needle.empty())
        return Variant::fromLong(start);
    if (size_t(start) > hay.size())
        return Variant::fromLong(0);
    size_t at = findText(hay, needle, size_t(start) - 1, ignoreCase);
    return Variant::fromLong(at == std::u16string::npos ? 0 : int32_t(at) + 1);
}

Variant builtinInStrRev(Context&, BuiltinArgs args)
{
    // InStrRev(string1, string2[, start[, compare]])
    int32_t start = isMissing(args, 2) ? -1 : longArg(args[2]);
    if (start == 0 || start < -1)
        raise(err::InvalidCall);
    bool ignoreCase = textCompareArg(args, 3);
    if (args[0].isNull() || args[1].isNull())
        return Variant::null();
    std::u16string t1, t2;
    const std::u16string& hay = textOf(args[0], t1);
    const std::u16string& needle = textOf(args[1], t2);
    if (hay.empty())
        return Variant::fromLong(0);
    size_t endAt = start == -1 ? hay.size() : size_t(start);
    if (endAt > hay.size())
        return Variant::fromLong(0);
    if (needle.empty())
        return Variant::fromLong(int32_t(endAt));
    size_t at = findTextBackward(hay, needle, endAt, ignoreCase);
    return Variant::fromLong(at == std::u16string::npos ? 0 : int32_t(at) + 1);
}

Variant builtinUCase(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        return args[0];
    std::u16string s = toStr(args[0]);
    for (char16_t& c : s)
        c = toUpper(c);
    return Variant::fromString(std::move(s));
}

Variant builtinLCase(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        return args[0];
    std::u16string s = toStr(args[0]);
    for (char16_t& c : s)
        c = toLower(c);
    return Variant::fromString(std::move(s));
}

namespace {

Variant trimmed(const Variant& v, bool left, bool right)
{
    if (v.isNull())
        return v;
    std::u16string tmp;
    std::u16string_view s = textOf(v, tmp);
    size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ')
            ++b;
    if (right)
        while (e > b && s[e - 1] == ' ')
            --e;
    return Variant::fromString(s.substr(b, e - b));
}

}  // namespace

Variant builtinTrim(Context&, BuiltinArgs args) { return trimmed(args[0], true, true); }
Variant builtinLTrim(Context&, BuiltinArgs args) { return trimmed(args[0], true, false); }
Variant builtinRTrim(Context&, BuiltinArgs args) { return trimmed(args[0], false, true); }

Variant builtinReplace(Context& ctx, BuiltinArgs args)
{
    // Replace(expression, find, replacewith[, start[, count[, compare]]])
    std::u16string expr = stringArg(args[0]);
    std::u16string find = stringArg(args[1]);
    std::u16string with = stringArg(args[2]);
    int32_t start = isMissing(args, 3) ? 1 : longArg(args[3]);
    int32_t count = isMissing(args, 4) ? -1 : longArg(args[4]);
    bool ignoreCase = textCompareArg(args, 5);
    if (start < 1 || count < -1)
        raise(err::InvalidCall);
    if (size_t(start) > expr.size())
        return Variant::fromString(std::u16string());
    std::u16string_view rest = std::u16string_view(expr).substr(size_t(start) - 1);
    if (find.empty() || count == 0)
        return Variant::fromString(rest);
    std::u16string out;
    size_t pos = 0;
    int32_t done = 0;
    while (count < 0 || done < count) {
        size_t at = findText(rest, find, pos, ignoreCase);
        if (at == std::u16string::npos)
            break;
        out.append(rest.substr(pos, at - pos));
        out += with;
        checkLength(ctx, out.size());
        pos = at + find.size();
        ++done;
    }
    out.append(rest.substr(pos));
    return stringResult(ctx, std::move(out));
}

Variant builtinSplit(Context& ctx, BuiltinArgs args)
{
    // Split(expression[, delimiter[, count[, compare]]])
    std::u16string expr = stringArg(args[0]);
    std::u16string delim = isMissing(args, 1) ? std::u16string(u" ") : stringArg(args[1]);
    int32_t count = isMissing(args, 2) ? -1 : longArg(args[2]);
    bool ignoreCase = textCompareArg(args, 3);
    if (count < -1)
        raise(err::InvalidCall);
    std::vector<Variant> parts;
    if (expr.empty() || count == 0)
        return makeArray(std::move(parts));
    if (delim.empty()) {
        parts.push_back(Variant::fromString(expr));
        return makeArray(std::move(parts));
    }
    size_t pos = 0;
    for (;;) {
        if (count > 0 && int32_t(parts.size()) == count - 1)
            break;
        size_t at = findText(expr, delim, pos, ignoreCase);
        if (at == std::u16string::npos)
            break;
        parts.push_back(Variant::fromString(std::u16string_view(expr).substr(pos, at - pos)));
        pos = at + delim.size();
        if (parts.size() > ctx.limits.maxArrayElements)
            raise(err::OutOfMemory);
    }
    parts.push_back(Variant::fromString(std::u16string_view(expr).substr(pos)));
    return makeArray(std::move(parts));
}

Variant builtinJoin(Context& ctx, BuiltinArgs args)
{
    const Array& a = oneDimensional(args[0]);
    std::u16string delim = isMissing(args, 1) ? std::u16string(u" ") : stringArg(args[1]);
    std::u16string out;
    for (size_t i = 0; i < a.size(); ++i) {
        if (i)
            out += delim;
        appendText(out, a.elements()[i]);
        checkLength(ctx, out.size());
    }
    return Variant::fromString(std::move(out));
}

Variant builtinSpace(Context& ctx, BuiltinArgs args)
{
    int32_t n = nonNegative(args[0]);
    checkLength(ctx, size_t(n));
    return Variant::fromString(std::u16string(size_t(n), u' '));
}

Variant builtinString(Context& ctx, BuiltinArgs args)
{
    int32_t n = nonNegative(args[0]);
    if (args[1].isNull())
        return args[1];
    char16_t c;
    if (args[1].isString()) {
        if (args[1].string().empty())
            raise(err::InvalidCall);
        c = args[1].string()[0];
    } else {
        int32_t code = longArg(args[1]);
        c = ansiChar(((code % 256) + 256) % 256);
    }
    checkLength(ctx, size_t(n));
    return Variant::fromString(std::u16string(size_t(n), c));
}

Variant builtinStrComp(Context&, BuiltinArgs args)
{
    bool ignoreCase = textCompareArg(args, 2);
    if (args[0].isNull() || args[1].isNull())
        return Variant::null();
    std::u16string t1, t2;
    int r = compareText(textOf(args[0], t1), textOf(args[1], t2), ignoreCase);
    return Variant::fromInteger(int16_t(r));
}

Variant builtinStrReverse(Context&, BuiltinArgs args)
{
    std::u16string s = stringArg(args[0]);
    std::reverse(s.begin(), s.end());
    return Variant::fromString(std::move(s));
}

Variant builtinChr(Context&, BuiltinArgs args)
{
    int32_t code = longArg(args[0]);
    if (code < 0 || code > 255)
        raise(err::InvalidCall);
    return Variant::fromString(std::u16string(1, ansiChar(code)));
}

Variant builtinChrW(Context&, BuiltinArgs args)
{
    int32_t code = longArg(args[0]);
    if (code < -32768 || code > 65535)
        raise(err::InvalidCall);
    return Variant::fromString(std::u16string(1, char16_t(code < 0 ? code + 65536 : code)));
}

Variant builtinAsc(Context&, BuiltinArgs args)
{
    std::u16string s = stringArg(args[0]);
    if (s.empty())
        raise(err::InvalidCall);
    // Characters outside the single-byte range have no code of their own: '?'.
    return Variant::fromInteger(int16_t(s[0] < 256 ? s[0] : '?'));
}

Variant builtinAscW(Context&, BuiltinArgs args)
{
    std::u16string s = stringArg(args[0]);
    if (s.empty())
        raise(err::InvalidCall);
    return Variant::fromInteger(int16_t(s[0]));
}

Variant builtinFilter(Context&, BuiltinArgs args)
{
    // Filter(InputStrings, Value[, Include[, Compare]])
    if (args[0].isNull())
        raise(err::InvalidNull);
    const Array& a = oneDimensional(args[0]);
    std::u16string value = stringArg(args[1]);
    bool include = isMissing(args, 2) ? true : toBoolean(args[2]);
    bool ignoreCase = textCompareArg(args, 3);
    std::vector<Variant> out;
    for (const Variant& e : a.elements()) {
        std::u16string tmp;
        if (e.isNull())
            raise(err::TypeMismatch);
        const std::u16string& s = textOf(e, tmp);
        bool found = findText(s, value, 0, ignoreCase) != std::u16string::npos;
        if (found == include)
            out.push_back(Variant::fromString(s));
    }
    return makeArray(std::move(out));
}

}  // namespace qp::vbs
