// Conversion functions: CStr, CInt, CLng, CDbl, CSng, CBool, CByte, CDate, Hex, Oct.
#include "Builtins.h"
#include "Convert.h"
#include "Errors.h"

namespace qp::vbs {

namespace {

// Conversions of Null fail; of Empty give the zero of the target type.
const Variant& notNull(const Variant& v)
{
    if (v.isNull())
        raise(err::InvalidNull);
    return v;
}

std::u16string radixText(const Variant& v, int bitsPerDigit)
{
    uint32_t bits;
    switch (v.type()) {
    case VarType::Byte: bits = v.byteValue(); break;
    case VarType::Integer:
    case VarType::Boolean: bits = uint16_t(toInt(v)); break;
    case VarType::Empty: bits = 0; break;
    default: {
        int32_t n = toLng(v);
        bits = (n >= -32768 && n < 0 && v.type() == VarType::Integer) ? uint16_t(n) : uint32_t(n);
    }
    }
    const char* digits = "0123456789ABCDEF";
    std::u16string out;
    uint32_t mask = (1u << bitsPerDigit) - 1;
    do {
        out.insert(out.begin(), char16_t(digits[bits & mask]));
        bits >>= bitsPerDigit;
    } while (bits);
    return out;
}

}  // namespace

Variant builtinCStr(Context&, BuiltinArgs args) { return Variant::fromString(toStr(notNull(args[0]))); }
Variant builtinCInt(Context&, BuiltinArgs args) { return Variant::fromInteger(toInt(notNull(args[0]))); }
Variant builtinCLng(Context&, BuiltinArgs args) { return Variant::fromLong(toLng(notNull(args[0]))); }
Variant builtinCDbl(Context&, BuiltinArgs args) { return Variant::fromDouble(toDbl(notNull(args[0]))); }
Variant builtinCSng(Context&, BuiltinArgs args) { return Variant::fromSingle(toSng(notNull(args[0]))); }
Variant builtinCBool(Context&, BuiltinArgs args) { return Variant::fromBool(toBoolean(notNull(args[0]))); }
Variant builtinCByte(Context&, BuiltinArgs args) { return Variant::fromByte(toByte(notNull(args[0]))); }
Variant builtinCDate(Context&, BuiltinArgs args) { return Variant::fromDate(toDateSerial(notNull(args[0]))); }

Variant builtinHex(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        return args[0];
    return Variant::fromString(radixText(args[0], 4));
}

Variant builtinOct(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        return args[0];
    // Octal digits do not divide 16 or 32 bits evenly: print the value's bits 3 at a time.
    return Variant::fromString(radixText(args[0], 3));
}

}  // namespace qp::vbs
