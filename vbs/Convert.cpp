#include "Convert.h"

#include "Classes.h"
#include "DateTime.h"
#include "Errors.h"
#include "Object.h"
#include "Text.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace qp::vbs {

namespace {

bool isSpace(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xA0 || c == '\f' || c == '\v';
}

bool parseRadix(std::u16string_view s, double& out)
{
    // s starts after '&'.
    int base = 8;
    size_t i = 0;
    if (i < s.size() && (s[i] == 'h' || s[i] == 'H')) { base = 16; ++i; }
    else if (i < s.size() && (s[i] == 'o' || s[i] == 'O')) { ++i; }
    if (i >= s.size())
        return false;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        char16_t c = s[i];
        int d = (c >= '0' && c <= '9') ? c - '0'
            : (c >= 'a' && c <= 'f')   ? c - 'a' + 10
            : (c >= 'A' && c <= 'F')   ? c - 'A' + 10
                                       : 99;
        if (d >= base)
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFull)
            return false;
    }
    // Up to four hex digits read as a 16-bit value, longer ones as 32-bit (as literals do).
    out = v <= 0xFFFF ? double(int16_t(uint16_t(v))) : double(int32_t(uint32_t(v)));
    return true;
}

}  // namespace

std::u16string asciiToUtf16(std::string_view s)
{
    return std::u16string(s.begin(), s.end());
}

bool parseNumeric(std::u16string_view s, double& out) noexcept
{
    size_t b = 0, e = s.size();
    while (b < e && isSpace(s[b])) ++b;
    while (e > b && isSpace(s[e - 1])) --e;
    s = s.substr(b, e - b);
    if (s.empty())
        return false;
    if (s[0] == '&')
        return parseRadix(s.substr(1), out);
    std::string ascii;
    ascii.reserve(s.size());
    size_t i = 0;
    if (s[i] == '+' || s[i] == '-')
        ascii.push_back(char(s[i++]));
    size_t digits = 0;
    bool seenPoint = false;
    for (; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c >= '0' && c <= '9') {
            ascii.push_back(char(c));
            ++digits;
        } else if (c == ',' && !seenPoint && digits > 0) {
            continue;  // thousands separator
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            ascii.push_back('.');
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        ascii.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ascii.push_back(char(s[i++]));
        size_t expDigits = 0;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++expDigits)
            ascii.push_back(char(s[i]));
        if (expDigits == 0)
            return false;
    }
    if (i != s.size())
        return false;
    char* end = nullptr;
    double v = std::strtod(ascii.c_str(), &end);
    if (!std::isfinite(v))
        return false;
    out = v;
    return true;
}

std::u16string formatDouble(double x)
{
    if (x == 0)
        return u"0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", x);
    return asciiToUtf16(buf);
}

std::u16string formatSingle(float x)
{
    if (x == 0)
        return u"0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.7G", double(x));
    return asciiToUtf16(buf);
}

Variant valueOf(const Variant& v)
{
    if (!v.isObject())
        return v;
    Object* o = v.object();
    if (!o)
        raise(err::ObjectNotSet);
    if (ClassInstance* inst = asInstance(o))
        return defaultValue(*inst);
    Args none;
    Result<Variant> r = o->invoke(kDispIdValue, InvokeKind::PropertyGet, none);
    if (!r)
        raise(err::NoSuchMember);
    if (r.value().isObject())
        raise(err::NoSuchMember);
    return std::move(r).value();
}

std::u16string toStr(const Variant& v)
{
    switch (v.type()) {
    case VarType::String: return v.string();
    case VarType::Empty: return {};
    case VarType::Null: raise(err::InvalidNull);
    case VarType::Boolean: return v.boolValue() ? u"True" : u"False";
    case VarType::Byte: return asciiToUtf16(std::to_string(v.byteValue()));
    case VarType::Integer: return asciiToUtf16(std::to_string(v.integerValue()));
    case VarType::Long: return asciiToUtf16(std::to_string(v.longValue()));
    case VarType::Single: return formatSingle(v.singleValue());
    case VarType::Double: return formatDouble(v.doubleValue());
    case VarType::Currency: return formatDouble(double(v.currencyValue()) / 10000.0);
    case VarType::Date: return formatDate(v.dateValue());
    case VarType::Object: return toStr(valueOf(v));
    default: raise(err::TypeMismatch);
    }
}

void appendText(std::u16string& out, const Variant& v)
{
    if (v.isString())
        out += v.string();
    else if (!v.isNull() && !v.isEmpty())
        out += toStr(v);
}

const std::u16string& textOf(const Variant& v, std::u16string& storage)
{
    if (v.isString())
        return v.string();
    storage = toStr(v);
    return storage;
}

double toDbl(const Variant& v)
{
    switch (v.type()) {
    case VarType::Empty: return 0;
    case VarType::Null: raise(err::InvalidNull);
    case VarType::Boolean: return v.boolValue() ? -1 : 0;
    case VarType::Byte: return v.byteValue();
    case VarType::Integer: return v.integerValue();
    case VarType::Long: return v.longValue();
    case VarType::Single: return v.singleValue();
    case VarType::Double: return v.doubleValue();
    case VarType::Currency: return double(v.currencyValue()) / 10000.0;
    case VarType::Date: return v.dateValue();
    case VarType::String: {
        double d;
        if (!parseNumeric(v.string(), d))
            raise(err::TypeMismatch);
        return d;
    }
    case VarType::Object: return toDbl(valueOf(v));
    default: raise(err::TypeMismatch);
    }
}

int32_t roundToLong(double x)
{
    double r = std::nearbyint(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        raise(err::Overflow);
    return int32_t(r);
}

int32_t toLng(const Variant& v)
{
    switch (v.type()) {
    case VarType::Long: return v.longValue();
    case VarType::Integer: return v.integerValue();
    case VarType::Byte: return v.byteValue();
    case VarType::Boolean: return v.boolValue() ? -1 : 0;
    case VarType::Empty: return 0;
    default: return roundToLong(toDbl(v));
    }
}

int16_t toInt(const Variant& v)
{
    int32_t n = v.type() == VarType::Integer ? v.integerValue() : toLng(v);
    if (n < -32768 || n > 32767)
        raise(err::Overflow);
    return int16_t(n);
}

int64_t toCurrencyUnits(const Variant& v)
{
    if (v.type() == VarType::Currency)
        return v.currencyValue();
    double units = std::nearbyint(toDbl(v) * 10000.0);
    if (!(units >= -9223372036854775807.0 && units <= 9223372036854775807.0))
        raise(err::Overflow);
    return int64_t(units);
}

uint8_t toByte(const Variant& v)
{
    int32_t n = toLng(v);
    if (n < 0 || n > 255)
        raise(err::Overflow);
    return uint8_t(n);
}

float toSng(const Variant& v)
{
    double d = toDbl(v);
    if (std::fabs(d) > double(std::numeric_limits<float>::max()))
        raise(err::Overflow);
    return float(d);
}

bool toBoolean(const Variant& v)
{
    switch (v.type()) {
    case VarType::Boolean: return v.boolValue();
    case VarType::Empty: return false;
    case VarType::Null: raise(err::InvalidNull);
    case VarType::String: {
        const std::u16string& s = v.string();
        if (equalsNoCase(s, u"True") || equalsNoCase(s, u"#TRUE#"))
            return true;
        if (equalsNoCase(s, u"False") || equalsNoCase(s, u"#FALSE#"))
            return false;
        double d;
        if (!parseNumeric(s, d))
            raise(err::TypeMismatch);
        return d != 0;
    }
    case VarType::Object: return toBoolean(valueOf(v));
    case VarType::Array: raise(err::TypeMismatch);
    default: return toDbl(v) != 0;
    }
}

bool isTrue(const Variant& v)
{
    if (v.type() == VarType::Boolean)
        return v.boolValue();
    if (v.isNull())
        return false;
    return toBoolean(v);
}

double toDateSerial(const Variant& v)
{
    double d;
    switch (v.type()) {
    case VarType::Date: return v.dateValue();
    case VarType::Null: raise(err::InvalidNull);
    case VarType::String:
        if (parseDateText(v.string(), d))
            return d;
        if (!parseNumeric(v.string(), d))
            raise(err::TypeMismatch);
        break;
    default:
        d = toDbl(v);
    }
    if (!validDate(d))
        raise(err::Overflow);
    return d;
}

bool isNumericValue(const Variant& v)
{
    if (v.isNumber() || v.type() == VarType::Empty || v.type() == VarType::Boolean)
        return true;
    double d;
    return v.type() == VarType::String && parseNumeric(v.string(), d);
}

std::u16string typeNameOf(const Variant& v)
{
    switch (v.type()) {
    case VarType::Empty: return u"Empty";
    case VarType::Null: return u"Null";
    case VarType::Integer: return u"Integer";
    case VarType::Long: return u"Long";
    case VarType::Single: return u"Single";
    case VarType::Double: return u"Double";
    case VarType::Currency: return u"Currency";
    case VarType::Date: return u"Date";
    case VarType::String: return u"String";
    case VarType::Object: return v.object() ? v.object()->typeName() : u"Nothing";
    case VarType::Error: return u"Error";
    case VarType::Boolean: return u"Boolean";
    case VarType::Byte: return u"Byte";
    case VarType::Array: return u"Variant()";
    default: return u"Unknown";
    }
}

int varTypeOf(const Variant& v)
{
    if (v.isArray())
        return int(VarType::Array) | int(VarType::Variant);
    return int(v.type());
}

}  // namespace qp::vbs
