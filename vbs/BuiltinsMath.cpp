// Numeric functions: Int, Fix, Round, Abs, Sgn, Sqr, Exp, Log, the trigonometry, Rnd and
// Randomize.
#include "Builtins.h"
#include "Convert.h"
#include "DateTime.h"
#include "Errors.h"
#include "Operators.h"

#include <chrono>
#include <cmath>
#include <cstring>

namespace qp::vbs {

namespace {

// Applies f to a number, keeping Integer, Long and Byte as they are and turning texts into
// Doubles, as Int, Fix and Abs do.
template <class F>
Variant numericKeepingType(const Variant& v, F f)
{
    switch (v.type()) {
    case VarType::Null: return v;
    case VarType::Empty: return Variant::fromInteger(0);
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long: return v;
    case VarType::Boolean: return Variant::fromInteger(v.boolValue() ? -1 : 0);
    case VarType::Single: return Variant::fromSingle(float(f(double(v.singleValue()))));
    case VarType::Date: return Variant::fromDate(f(v.dateValue()));
    default: return Variant::fromDouble(f(toDbl(v)));
    }
}

double realArg(const Variant& v)
{
    if (v.isNull())
        raise(err::InvalidNull);
    return toDbl(v);
}

Variant realResult(double r)
{
    if (std::isnan(r))
        raise(err::InvalidCall);
    if (std::isinf(r))
        raise(err::Overflow);
    return Variant::fromDouble(r);
}

constexpr uint32_t kRndMask = 0xFFFFFF;

float nextRandom(Context& ctx)
{
    ctx.rndSeed = (ctx.rndSeed * 0x43FD43FDull + 0xC39EC3ull) & kRndMask;
    ctx.lastRnd = float(double(ctx.rndSeed) / 16777216.0);
    return ctx.lastRnd;
}

}  // namespace

Variant builtinInt(Context&, BuiltinArgs args)
{
    return numericKeepingType(args[0], [](double x) { return std::floor(x); });
}

Variant builtinFix(Context&, BuiltinArgs args)
{
    return numericKeepingType(args[0], [](double x) { return std::trunc(x); });
}

Variant builtinRound(Context&, BuiltinArgs args)
{
    int32_t places = isMissing(args, 1) ? 0 : longArg(args[1]);
    if (places < 0)
        raise(err::InvalidCall);
    const Variant& v = args[0];
    if (v.isNull())
        return v;
    auto round = [places](double x) {
        if (places == 0)
            return std::nearbyint(x);
        if (places > 15)
            return x;
        double scale = std::pow(10.0, places);
        double scaled = x * scale;
        if (std::fabs(scaled) >= 1e15)
            return x;
        return std::nearbyint(scaled) / scale;
    };
    return numericKeepingType(v, round);
}

Variant builtinAbs(Context&, BuiltinArgs args)
{
    const Variant& v = args[0];
    switch (v.type()) {
    case VarType::Integer:
        return v.integerValue() == -32768 ? Variant::fromLong(32768)
                                          : Variant::fromInteger(int16_t(std::abs(v.integerValue())));
    case VarType::Long:
        return v.longValue() == INT32_MIN ? Variant::fromDouble(2147483648.0)
                                          : Variant::fromLong(std::abs(v.longValue()));
    case VarType::Boolean: return Variant::fromInteger(v.boolValue() ? 1 : 0);
    default: return numericKeepingType(v, [](double x) { return std::fabs(x); });
    }
}

Variant builtinSgn(Context&, BuiltinArgs args)
{
    double x = realArg(args[0]);
    return Variant::fromInteger(int16_t(x > 0 ? 1 : (x < 0 ? -1 : 0)));
}

Variant builtinSqr(Context&, BuiltinArgs args)
{
    double x = realArg(args[0]);
    if (x < 0)
        raise(err::InvalidCall);
    return Variant::fromDouble(std::sqrt(x));
}

Variant builtinExp(Context&, BuiltinArgs args) { return realResult(std::exp(realArg(args[0]))); }

Variant builtinLog(Context&, BuiltinArgs args)
{
    double x = realArg(args[0]);
    if (x <= 0)
        raise(err::InvalidCall);
    return Variant::fromDouble(std::log(x));
}

Variant builtinSin(Context&, BuiltinArgs args) { return realResult(std::sin(realArg(args[0]))); }
Variant builtinCos(Context&, BuiltinArgs args) { return realResult(std::cos(realArg(args[0]))); }
Variant builtinTan(Context&, BuiltinArgs args) { return realResult(std::tan(realArg(args[0]))); }
Variant builtinAtn(Context&, BuiltinArgs args) { return realResult(std::atan(realArg(args[0]))); }

Variant builtinRnd(Context& ctx, BuiltinArgs args)
{
    if (!isMissing(args, 0)) {
        double n = realArg(args[0]);
        if (n == 0)
            return Variant::fromSingle(ctx.lastRnd);
        if (n < 0) {
            // A negative argument seeds from its own bits: the same number, the same value.
            float f = float(n);
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            ctx.rndSeed = (bits + (bits >> 24)) & kRndMask;
        }
    }
    return Variant::fromSingle(nextRandom(ctx));
}

Variant builtinRandomize(Context& ctx, BuiltinArgs args)
{
    double n;
    if (isMissing(args, 0)) {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        n = double(std::chrono::duration_cast<std::chrono::microseconds>(now).count() % 86400000000ll) / 1e6;
    } else {
        n = realArg(args[0]);
    }
    uint64_t bits;
    std::memcpy(&bits, &n, sizeof bits);
    uint32_t mixed = uint32_t(bits >> 32) ^ uint32_t(bits);
    ctx.rndSeed = (ctx.rndSeed & 0xFF) | ((((mixed >> 16) ^ mixed) & 0xFFFF) << 8);
    return Variant();
}

}  // namespace qp::vbs
