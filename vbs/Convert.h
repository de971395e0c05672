#pragma once
// Conversions the evaluator uses. They raise the script's errors (13 Type mismatch,
// 6 Overflow, 94 Invalid use of Null) as ScriptException; Coerce.h wraps them for hosts.

#include "Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qp::vbs {

// VBScript's numeric text: blanks around, a sign, digits with optional thousands commas,
// a decimal point, an exponent, or &H / &O radix forms.
bool parseNumeric(std::u16string_view text, double& out) noexcept;

std::u16string formatDouble(double x);  // 15 significant digits, "1E+20" style exponents
std::u16string formatSingle(float x);   // 7 significant digits
std::u16string asciiToUtf16(std::string_view s);

// The value of an object (its default member), or the variant itself when not an object.
// Nothing raises 91; an object without a default member raises 438.
Variant valueOf(const Variant& v);

std::u16string toStr(const Variant& v);        // CStr
double toDbl(const Variant& v);                // CDbl
int32_t toLng(const Variant& v);               // CLng
int16_t toInt(const Variant& v);               // CInt
int64_t toCurrencyUnits(const Variant& v);     // CCur, in ten-thousandths (6 Overflow)
uint8_t toByte(const Variant& v);              // CByte
float toSng(const Variant& v);                 // CSng
bool toBoolean(const Variant& v);              // CBool
double toDateSerial(const Variant& v);         // CDate
// A condition of If, While, Do: Null and Empty count as False.
bool isTrue(const Variant& v);

// Rounds half to even, then checks the Long range (6 Overflow).
int32_t roundToLong(double x);

// Appends the text of v to out without building a temporary for strings.
void appendText(std::u16string& out, const Variant& v);

// The string of a string argument, or its conversion kept alive in `storage`.
const std::u16string& textOf(const Variant& v, std::u16string& storage);

bool isNumericValue(const Variant& v);  // IsNumeric
std::u16string typeNameOf(const Variant& v);
int varTypeOf(const Variant& v);

}  // namespace qp::vbs
