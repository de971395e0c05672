#pragma once
// VBScript's operators over Variants: arithmetic with Byte -> Integer -> Long -> Double
// widening on overflow, Null propagation, string concatenation, comparisons (with the
// rule for literals), logical and bitwise operators with their Null tables.

#include "Variant.h"

#include <cstdint>
#include <optional>

namespace qp::vbs {

Variant opAdd(const Variant& a, const Variant& b, size_t maxString);
Variant opSub(const Variant& a, const Variant& b);
Variant opMul(const Variant& a, const Variant& b);
Variant opDiv(const Variant& a, const Variant& b);
Variant opIntDiv(const Variant& a, const Variant& b);
Variant opMod(const Variant& a, const Variant& b);
Variant opPow(const Variant& a, const Variant& b);
Variant opConcat(const Variant& a, const Variant& b, size_t maxString);
Variant opNeg(const Variant& a);
Variant opNot(const Variant& a);

enum class LogicOp : uint8_t { And, Or, Xor, Eqv, Imp };
Variant opLogic(LogicOp op, const Variant& a, const Variant& b);

// The common case of arithmetic, inlined into the evaluator: both operands Integer or Long.
// Returns false when another subtype is involved.
inline bool integerOperands(const Variant& a, const Variant& b, int64_t& x, int64_t& y, bool& wide) noexcept
{
    VarType ta = a.type(), tb = b.type();
    if ((ta != VarType::Integer && ta != VarType::Long) || (tb != VarType::Integer && tb != VarType::Long))
        return false;
    x = ta == VarType::Integer ? a.integerValue() : a.longValue();
    y = tb == VarType::Integer ? b.integerValue() : b.longValue();
    wide = ta == VarType::Long || tb == VarType::Long;
    return true;
}

// An integer result: Integer when both operands were and it fits, else Long, else Double.
inline Variant integerResult(int64_t r, bool wide) noexcept
{
    if (!wide && r >= -32768 && r <= 32767)
        return Variant::fromInteger(int16_t(r));
    if (r >= INT32_MIN && r <= INT32_MAX)
        return Variant::fromLong(int32_t(r));
    return Variant::fromDouble(double(r));
}

// -1, 0 or 1; nullopt when either side is Null. A side marked literal was written as a
// constant in the script: a number literal converts a string operand to a number, a string
// literal converts a number operand to text; between variables a number sorts before text.
std::optional<int> compareValues(const Variant& a, const Variant& b, bool aLiteral = false,
                                 bool bLiteral = false, bool textCompare = false);
bool sameObject(const Variant& a, const Variant& b);  // Is

// Text comparison for StrComp and InStr with vbTextCompare.
int compareText(std::u16string_view a, std::u16string_view b, bool ignoreCase);

}  // namespace qp::vbs
