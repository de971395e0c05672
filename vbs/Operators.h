#pragma once
// VBScript's operators over Variants: arithmetic with Byte -> Integer -> Long -> Double
// widening on overflow, Null propagation, string concatenation, comparisons (with the
// rule for literals), logical and bitwise operators with their Null tables.

#include "Variant.h"

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

// -1, 0 or 1; nullopt when either side is Null. A side marked literal was written as a
// constant in the script: a number literal converts a string operand to a number, a string
// literal converts a number operand to text; between variables a number sorts before text.
std::optional<int> compareValues(const Variant& a, const Variant& b, bool aLiteral = false,
                                 bool bLiteral = false, bool textCompare = false);
bool sameObject(const Variant& a, const Variant& b);  // Is

// Text comparison for StrComp and InStr with vbTextCompare.
int compareText(std::u16string_view a, std::u16string_view b, bool ignoreCase);

}  // namespace qp::vbs
