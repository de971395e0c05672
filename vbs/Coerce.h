#pragma once
// VBScript's conversions of a Variant, for hosts reading their arguments: the same rules the
// script's CStr, CLng, CDbl and CBool follow. A failure is the error the script would get
// (13 Type mismatch, 6 Overflow, 94 Invalid use of Null).

#include "ErrorInfo.h"
#include "Variant.h"

#include <cstdint>
#include <string>

namespace qp::vbs {

Result<std::u16string> toString(const Variant& v);  // CStr; Empty gives ""
Result<int32_t> toLong(const Variant& v);           // CLng: rounds half to even
Result<int16_t> toInteger(const Variant& v);        // CInt
Result<double> toDouble(const Variant& v);          // CDbl
Result<bool> toBool(const Variant& v);              // CBool

// The error a number stands for, with VBScript's runtime source and text.
ErrorInfo runtimeError(int32_t number);

}  // namespace qp::vbs
