#include "Operators.h"

#include "Convert.h"
#include "Errors.h"
#include "Object.h"
#include "Text.h"

#include <cmath>
#include <limits>

namespace qp::vbs {

namespace {

enum Rank : uint8_t { RByte, RInteger, RLong, RSingle, RDouble };

struct Num {
    Rank rank = RInteger;
    bool empty = false;
    bool date = false;
    bool currency = false;
    int64_t i = 0;   // valid for ranks up to RLong
    double d = 0;    // always valid
};

Num numOf(const Variant& v)
{
    Num n;
    switch (v.type()) {
    case VarType::Empty: n.empty = true; break;
    case VarType::Boolean: n.i = v.boolValue() ? -1 : 0; break;
    case VarType::Byte: n.rank = RByte; n.i = v.byteValue(); break;
    case VarType::Integer: n.i = v.integerValue(); break;
    case VarType::Long: n.rank = RLong; n.i = v.longValue(); break;
    case VarType::Single: n.rank = RSingle; n.d = v.singleValue(); return n;
    case VarType::Double: n.rank = RDouble; n.d = v.doubleValue(); return n;
    case VarType::Date: n.rank = RDouble; n.date = true; n.d = v.dateValue(); return n;
    case VarType::Currency: n.rank = RDouble; n.currency = true; n.d = double(v.currencyValue()) / 10000.0; return n;
    case VarType::String:
        if (!parseNumeric(v.string(), n.d))
            raise(err::TypeMismatch);
        n.rank = RDouble;
        return n;
    case VarType::Object: return numOf(valueOf(v));
    default: raise(err::TypeMismatch);
    }
    n.d = double(n.i);
    return n;
}

Rank resultRank(const Num& a, const Num& b)
{
    if (a.empty && b.empty) return RInteger;
    if (a.empty) return b.rank;
    if (b.empty) return a.rank;
    return a.rank > b.rank ? a.rank : b.rank;
}

// An integer result in the narrowest type at or above `rank` that holds it.
Variant fitInteger(int64_t r, Rank rank)
{
    if (rank == RByte && r >= 0 && r <= 255)
        return Variant::fromByte(uint8_t(r));
    if (rank <= RInteger && r >= -32768 && r <= 32767)
        return Variant::fromInteger(int16_t(r));
    if (r >= INT32_MIN && r <= INT32_MAX)
        return Variant::fromLong(int32_t(r));
    return Variant::fromDouble(double(r));
}

Variant fitReal(double r, Rank rank, bool date)
{
    if (!std::isfinite(r))
        raise(err::Overflow);
    if (date)
        return Variant::fromDate(r);
    if (rank == RSingle && std::fabs(r) <= double(std::numeric_limits<float>::max()))
        return Variant::fromSingle(float(r));
    return Variant::fromDouble(r);
}

template <class IntOp, class RealOp>
Variant arithmetic(const Variant& a, const Variant& b, IntOp intOp, RealOp realOp, bool dateResult)
{
    if (a.isNull() || b.isNull())
        return Variant::null();
    Num x = numOf(a), y = numOf(b);
    Rank rank = resultRank(x, y);
    bool date = dateResult && (x.date || y.date);
    // Currency with an integer or Currency stays Currency; with Single or Double it is Double.
    auto real = [](const Num& n) { return n.rank >= RSingle && !n.currency && !n.empty; };
    if ((x.currency || y.currency) && !real(x) && !real(y) && !date) {
        double units = std::nearbyint(realOp(x.d, y.d) * 10000.0);
        if (!(units >= -9223372036854775807.0 && units <= 9223372036854775807.0))
            raise(err::Overflow);
        return Variant::fromCurrency(int64_t(units));
    }
    if (rank <= RLong && !date)
        return fitInteger(intOp(x.i, y.i), rank);
    if (rank == RSingle && !date) {
        float r = float(realOp(x.d, y.d));
        if (std::isfinite(r))
            return Variant::fromSingle(r);
    }
    return fitReal(realOp(x.d, y.d), rank == RSingle ? RDouble : rank, date);
}

Variant concatStrings(const std::u16string& a, const std::u16string& b, size_t maxString)
{
    if (a.size() + b.size() > maxString)
        raise(err::OutOfMemory);
    std::u16string r;
    r.reserve(a.size() + b.size());
    r += a;
    r += b;
    return Variant::fromString(std::move(r));
}

int64_t integerOperand(const Variant& v, Rank& rank, bool& boolean)
{
    switch (v.type()) {
    case VarType::Boolean: boolean = true; rank = RInteger; return v.boolValue() ? -1 : 0;
    case VarType::Empty: rank = RInteger; return 0;
    case VarType::Byte: rank = RByte; return v.byteValue();
    case VarType::Integer: rank = RInteger; return v.integerValue();
    case VarType::Long: rank = RLong; return v.longValue();
    case VarType::String: {
        const std::u16string& s = v.string();
        if (equalsNoCase(s, u"True")) { boolean = true; rank = RInteger; return -1; }
        if (equalsNoCase(s, u"False")) { boolean = true; rank = RInteger; return 0; }
        rank = RLong;
        return roundToLong(toDbl(v));
    }
    case VarType::Object: return integerOperand(valueOf(v), rank, boolean);
    default: rank = RLong; return roundToLong(toDbl(v));
    }
}

// Both operands as integers for \ and Mod: Byte and Integer keep their width.
Rank integerPair(const Variant& a, const Variant& b, int64_t& x, int64_t& y)
{
    Rank ra, rb;
    bool ba = false, bb = false;
    x = integerOperand(a, ra, ba);
    y = integerOperand(b, rb, bb);
    if (a.isEmpty()) ra = rb;
    if (b.isEmpty()) rb = ra;
    return ra > rb ? ra : rb;
}

bool truthOf(const Variant& v, int64_t& bits)
{
    Rank r;
    bool boolean = false;
    bits = integerOperand(v, r, boolean);
    return bits != 0;
}

}  // namespace

Variant opAdd(const Variant& a, const Variant& b, size_t maxString)
{
    if (a.type() == VarType::Integer && b.type() == VarType::Integer)
        return fitInteger(int64_t(a.integerValue()) + b.integerValue(), RInteger);
    if (a.type() == VarType::Long && b.type() == VarType::Long)
        return fitInteger(int64_t(a.longValue()) + b.longValue(), RLong);
    if (a.isString() && (b.isString() || b.isEmpty()))
        return b.isEmpty() ? a : concatStrings(a.string(), b.string(), maxString);
    if (b.isString() && a.isEmpty())
        return b;
    if (a.isObject() || b.isObject())
        return opAdd(valueOf(a), valueOf(b), maxString);
    return arithmetic(a, b, [](int64_t x, int64_t y) { return x + y; },
                      [](double x, double y) { return x + y; }, true);
}

Variant opSub(const Variant& a, const Variant& b)
{
    if (a.type() == VarType::Integer && b.type() == VarType::Integer)
        return fitInteger(int64_t(a.integerValue()) - b.integerValue(), RInteger);
    bool bothDates = a.type() == VarType::Date && b.type() == VarType::Date;
    return arithmetic(a, b, [](int64_t x, int64_t y) { return x - y; },
                      [](double x, double y) { return x - y; }, !bothDates);
}

Variant opMul(const Variant& a, const Variant& b)
{
    return arithmetic(a, b, [](int64_t x, int64_t y) { return x * y; },
                      [](double x, double y) { return x * y; }, false);
}

Variant opDiv(const Variant& a, const Variant& b)
{
    if (a.isNull() || b.isNull())
        return Variant::null();
    Num x = numOf(a), y = numOf(b);
    if (y.d == 0)
        raise(x.d == 0 ? err::Overflow : err::DivisionByZero);
    Rank rank = resultRank(x, y);
    return fitReal(x.d / y.d, rank == RSingle ? RSingle : RDouble, false);
}

Variant opIntDiv(const Variant& a, const Variant& b)
{
    if (a.isNull() || b.isNull())
        return Variant::null();
    int64_t x, y;
    Rank rank = integerPair(a, b, x, y);
    if (y == 0)
        raise(err::DivisionByZero);
    return fitInteger(x / y, rank > RInteger ? RLong : rank);
}

Variant opMod(const Variant& a, const Variant& b)
{
    if (a.isNull() || b.isNull())
        return Variant::null();
    int64_t x, y;
    Rank rank = integerPair(a, b, x, y);
    if (y == 0)
        raise(err::DivisionByZero);
    return fitInteger(x % y, rank > RInteger ? RLong : rank);
}

Variant opPow(const Variant& a, const Variant& b)
{
    if (a.isNull() || b.isNull())
        return Variant::null();
    double x = toDbl(a), y = toDbl(b);
    if (x == 0 && y < 0)
        raise(err::InvalidCall);
    double r = std::pow(x, y);
    if (std::isnan(r))
        raise(err::InvalidCall);
    if (std::isinf(r))
        raise(err::Overflow);
    return Variant::fromDouble(r);
}

Variant opConcat(const Variant& a, const Variant& b, size_t maxString)
{
    if (a.isNull() && b.isNull())
        return Variant::null();
    if (a.isString() && b.isString())
        return concatStrings(a.string(), b.string(), maxString);
    std::u16string r;
    appendText(r, a);
    appendText(r, b);
    if (r.size() > maxString)
        raise(err::OutOfMemory);
    return Variant::fromString(std::move(r));
}

Variant opNeg(const Variant& a)
{
    switch (a.type()) {
    case VarType::Null: return a;
    case VarType::Empty: return Variant::fromInteger(0);
    case VarType::Boolean: return Variant::fromInteger(a.boolValue() ? 1 : 0);
    case VarType::Byte: return Variant::fromInteger(int16_t(-a.byteValue()));
    case VarType::Integer: return fitInteger(-int64_t(a.integerValue()), RInteger);
    case VarType::Long: return fitInteger(-int64_t(a.longValue()), RLong);
    case VarType::Single: return Variant::fromSingle(-a.singleValue());
    case VarType::Double: return Variant::fromDouble(-a.doubleValue());
    case VarType::Currency: return Variant::fromCurrency(-a.currencyValue());
    case VarType::Date: return Variant::fromDate(-a.dateValue());
    case VarType::String: return Variant::fromDouble(-toDbl(a));
    case VarType::Object: return opNeg(valueOf(a));
    default: raise(err::TypeMismatch);
    }
}

Variant opNot(const Variant& a)
{
    switch (a.type()) {
    case VarType::Null: return a;
    case VarType::Boolean: return Variant::fromBool(!a.boolValue());
    case VarType::Empty: return Variant::fromInteger(-1);
    case VarType::Byte: return Variant::fromByte(uint8_t(~a.byteValue()));
    case VarType::Integer: return Variant::fromInteger(int16_t(~a.integerValue()));
    case VarType::Long: return Variant::fromLong(~a.longValue());
    case VarType::Object: return opNot(valueOf(a));
    default: {
        Rank r;
        bool boolean = false;
        int64_t bits = integerOperand(a, r, boolean);
        if (boolean)
            return Variant::fromBool(bits == 0);
        return Variant::fromLong(~int32_t(bits));
    }
    }
}

Variant opLogic(LogicOp op, const Variant& a, const Variant& b)
{
    if (a.isNull() || b.isNull()) {
        const Variant& other = a.isNull() ? b : a;
        bool otherFirst = b.isNull();  // the non-Null operand is on the left
        if (other.isNull())
            return Variant::null();
        int64_t bits;
        truthOf(other, bits);
        switch (op) {
        case LogicOp::And: return bits == 0 ? other : Variant::null();
        case LogicOp::Or: return bits == -1 ? other : Variant::null();
        case LogicOp::Imp:
            if (otherFirst) return bits == 0 ? Variant::fromBool(true) : Variant::null();
            return bits == -1 ? Variant::fromBool(true) : Variant::null();
        default: return Variant::null();
        }
    }
    if (a.type() == VarType::Boolean && b.type() == VarType::Boolean) {
        bool x = a.boolValue(), y = b.boolValue();
        switch (op) {
        case LogicOp::And: return Variant::fromBool(x && y);
        case LogicOp::Or: return Variant::fromBool(x || y);
        case LogicOp::Xor: return Variant::fromBool(x != y);
        case LogicOp::Eqv: return Variant::fromBool(x == y);
        case LogicOp::Imp: return Variant::fromBool(!x || y);
        }
    }
    Rank ra, rb;
    bool ba = false, bb = false;
    int64_t x = integerOperand(a, ra, ba), y = integerOperand(b, rb, bb);
    int64_t r = 0;
    switch (op) {
    case LogicOp::And: r = x & y; break;
    case LogicOp::Or: r = x | y; break;
    case LogicOp::Xor: r = x ^ y; break;
    case LogicOp::Eqv: r = ~(x ^ y); break;
    case LogicOp::Imp: r = ~x | y; break;
    }
    if (ba && bb)
        return Variant::fromBool(r != 0);
    Rank rank = ra > rb ? ra : rb;
    if (rank == RByte && ra == rb)
        return Variant::fromByte(uint8_t(r));
    if (rank <= RInteger)
        return Variant::fromInteger(int16_t(r));
    return Variant::fromLong(int32_t(r));
}

int compareText(std::u16string_view a, std::u16string_view b, bool ignoreCase)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = a[i], y = b[i];
        if (ignoreCase) {
            x = foldCase(x);
            y = foldCase(y);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

namespace {

bool numberLike(const Variant& v)
{
    return v.isNumber() || v.type() == VarType::Boolean || v.type() == VarType::Date;
}

int compareNumbers(const Variant& a, const Variant& b)
{
    Num x = numOf(a), y = numOf(b);
    if (x.rank <= RLong && y.rank <= RLong)
        return x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
    return x.d < y.d ? -1 : (x.d > y.d ? 1 : 0);
}

}  // namespace

std::optional<int> compareValues(const Variant& a, const Variant& b, bool aLiteral, bool bLiteral,
                                 bool textCompare)
{
    if (a.isNull() || b.isNull())
        return std::nullopt;
    if (a.isObject() || b.isObject())
        return compareValues(valueOf(a), valueOf(b), aLiteral, bLiteral, textCompare);
    if (a.isArray() || b.isArray())
        raise(err::TypeMismatch);
    if (a.isString() && b.isString())
        return compareText(a.string(), b.string(), textCompare);
    if (a.isEmpty() && b.isEmpty())
        return 0;
    if (a.isString() || b.isString()) {
        const Variant& s = a.isString() ? a : b;
        const Variant& n = a.isString() ? b : a;
        bool sFirst = a.isString();
        bool nLiteral = sFirst ? bLiteral : aLiteral;
        bool sLiteral = sFirst ? aLiteral : bLiteral;
        int r;
        if (n.isEmpty()) {
            r = compareText(s.string(), u"", textCompare);
        } else if (double d; nLiteral && parseNumeric(s.string(), d)) {
            r = compareNumbers(Variant::fromDouble(d), n);
        } else if (sLiteral && !nLiteral) {
            r = compareText(s.string(), toStr(n), textCompare);
        } else {
            r = 1;  // a number sorts before any text
        }
        return sFirst ? r : -r;
    }
    if (numberLike(a) || numberLike(b) || a.isEmpty() || b.isEmpty())
        return compareNumbers(a, b);
    raise(err::TypeMismatch);
}

bool sameObject(const Variant& a, const Variant& b)
{
    if (!a.isObject() || !b.isObject())
        raise(err::ObjectRequired);
    return a.object() == b.object();
}

}  // namespace qp::vbs
