#pragma once
// The built-in functions and constants. Each function is one C++ function named after it;
// the table of names and argument counts is expanded from the one list below.

#include "Runtime.h"

#include <span>
#include <string_view>

namespace qp::vbs {

using BuiltinArgs = std::span<Variant>;
using BuiltinFn = Variant (*)(Context& ctx, BuiltinArgs args);

struct Builtin {
    std::u16string_view name;
    uint8_t minArgs;
    uint8_t maxArgs;
    BuiltinFn fn;
};

// X(name, min, max): one line per built-in function, grouped by family.
#define QP_VBS_BUILTINS(X) \
    /* strings (BuiltinsString.cpp) */ \
    X(Len, 1, 1) X(Left, 2, 2) X(Right, 2, 2) X(Mid, 2, 3) X(InStr, 2, 4) X(InStrRev, 2, 4) \
    X(UCase, 1, 1) X(LCase, 1, 1) X(Trim, 1, 1) X(LTrim, 1, 1) X(RTrim, 1, 1) \
    X(Replace, 3, 6) X(Split, 1, 4) X(Join, 1, 2) X(Space, 1, 1) X(String, 2, 2) \
    X(StrComp, 2, 3) X(StrReverse, 1, 1) X(Chr, 1, 1) X(ChrW, 1, 1) X(Asc, 1, 1) \
    X(AscW, 1, 1) X(Filter, 2, 4) \
    /* conversions (BuiltinsConvert.cpp) */ \
    X(CStr, 1, 1) X(CInt, 1, 1) X(CLng, 1, 1) X(CDbl, 1, 1) X(CSng, 1, 1) X(CBool, 1, 1) \
    X(CByte, 1, 1) X(CDate, 1, 1) X(Hex, 1, 1) X(Oct, 1, 1) \
    /* numbers (BuiltinsMath.cpp) */ \
    X(Int, 1, 1) X(Fix, 1, 1) X(Round, 1, 2) X(Abs, 1, 1) X(Sgn, 1, 1) X(Sqr, 1, 1) \
    X(Exp, 1, 1) X(Log, 1, 1) X(Sin, 1, 1) X(Cos, 1, 1) X(Tan, 1, 1) X(Atn, 1, 1) \
    X(Rnd, 0, 1) X(Randomize, 0, 1) \
    /* tests and arrays (BuiltinsInfo.cpp) */ \
    X(IsNumeric, 1, 1) X(IsEmpty, 1, 1) X(IsNull, 1, 1) X(IsArray, 1, 1) X(IsObject, 1, 1) \
    X(IsDate, 1, 1) X(TypeName, 1, 1) X(VarType, 1, 1) X(Array, 0, 255) X(UBound, 1, 2) \
    X(LBound, 1, 2) \
    /* dates and times (BuiltinsDate.cpp) */ \
    X(Now, 0, 0) X(Date, 0, 0) X(Time, 0, 0) X(Timer, 0, 0) X(Year, 1, 1) X(Month, 1, 1) \
    X(Day, 1, 1) X(Hour, 1, 1) X(Minute, 1, 1) X(Second, 1, 1) X(Weekday, 1, 2) \
    X(DateAdd, 3, 3) X(DateDiff, 3, 5) X(DateSerial, 3, 3) X(TimeSerial, 3, 3) \
    X(MonthName, 1, 2) X(WeekdayName, 1, 3) \
    /* the host (BuiltinsHost.cpp) */ \
    X(MsgBox, 1, 5) X(InputBox, 1, 7) X(CreateObject, 1, 2) X(GetObject, 0, 2) \
    /* script text (CompilerFragments.cpp) */ \
    X(Execute, 1, 1) X(ExecuteGlobal, 1, 1) X(Eval, 1, 1) X(GetRef, 1, 1) \
    /* formats, Currency, the engine (BuiltinsFormat.cpp) */ \
    X(FormatNumber, 1, 5) X(FormatPercent, 1, 5) X(FormatCurrency, 1, 5) X(FormatDateTime, 1, 2) \
    X(DatePart, 2, 4) X(DateValue, 1, 1) X(TimeValue, 1, 1) X(Escape, 1, 1) X(Unescape, 1, 1) \
    X(CCur, 1, 1) X(ScriptEngine, 0, 0) X(ScriptEngineMajorVersion, 0, 0) \
    X(ScriptEngineMinorVersion, 0, 0) X(ScriptEngineBuildVersion, 0, 0)

#define QP_VBS_DECLARE(name, min, max) Variant builtin##name(Context& ctx, BuiltinArgs args);
QP_VBS_BUILTINS(QP_VBS_DECLARE)
#undef QP_VBS_DECLARE

// The function of that name (case-insensitive), or null.
const Builtin* findBuiltin(std::u16string_view name) noexcept;
// The value of a built-in constant (vbCrLf, vbOK, ...); false when there is none.
bool findConstant(std::u16string_view name, Variant& value);

// An argument the script left out: f(1, , 3), or one past the end of args.
bool isMissing(BuiltinArgs args, size_t i) noexcept;
Variant missingArgument();

// Shared argument helpers.
int32_t longArg(const Variant& v);            // CLng; Null raises 94
std::u16string stringArg(const Variant& v);   // CStr; Null raises 94
// A string result, refused with 7 when over the engine's limit.
Variant stringResult(Context& ctx, std::u16string s);
void checkLength(Context& ctx, size_t length);

}  // namespace qp::vbs
