#pragma once
// VBScript's error numbers and texts, and the exception that carries a run-time error
// through the evaluator until On Error Resume Next or the engine catches it.

#include "Engine.h"
#include "ErrorInfo.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qp::vbs {

inline constexpr std::u16string_view kRuntimeSource = u"VBScript runtime error";
inline constexpr std::u16string_view kSyntaxSource = u"VBScript compilation error";

namespace err {
// Run-time errors.
constexpr int32_t InvalidCall = 5, Overflow = 6, OutOfMemory = 7, SubscriptRange = 9,
                  ArrayLocked = 10, DivisionByZero = 11, TypeMismatch = 13, OutOfStack = 28,
                  NotDefined = 35, ObjectNotSet = 91, ForNotInitialized = 92, InvalidNull = 94,
                  ObjectRequired = 424, CantCreate = 429, NoSuchMember = 438, WrongArgs = 450,
                  NotCollection = 451, Undefined = 500, IllegalAssignment = 501,
                  InvalidReference = 505, ClassNotDefined = 506, FileNotFound = 53, BadFileMode = 54,
                  FileExists = 58, DiskFull = 61, PastEndOfFile = 62, PermissionDenied = 70,
                  PathFileAccess = 75, PathNotFound = 76, KeyExists = 457, RegExpSyntax = 5017,
                  ElementNotFound = 32811, BadFileName = 52;
// What a script object answers a host with when the run was interrupted inside its call.
constexpr int32_t Aborted = int32_t(0x80004004u);
// Syntax errors.
constexpr int32_t Syntax = 1002, ExpectedColon = 1003, ExpectedLParen = 1005,
                  ExpectedRParen = 1006, ExpectedIdentifier = 1010, ExpectedEquals = 1011,
                  ExpectedIf = 1012, ExpectedTo = 1013, ExpectedEnd = 1014,
                  ExpectedFunction = 1015, ExpectedSub = 1016, ExpectedThen = 1017,
                  ExpectedWend = 1018, ExpectedLoop = 1019, ExpectedNext = 1020,
                  ExpectedCase = 1021, ExpectedSelect = 1022, ExpectedExpression = 1023,
                  ExpectedStatement = 1024, ExpectedEndOfStatement = 1025,
                  ExpectedInteger = 1026, ExpectedWhileUntil = 1027,
                  ExpectedWhileUntilEnd = 1028, ExpectedWith = 1029, IdentifierTooLong = 1030,
                  InvalidNumber = 1031, InvalidCharacter = 1032, UnterminatedString = 1033,
                  InvalidExit = 1039, InvalidForVariable = 1040, NameRedefined = 1041,
                  MustBeFirst = 1042, ParensOnSubCall = 1044, ExpectedLiteral = 1045,
                  ExpectedIn = 1046, ExpectedClass = 1047, OnlyInClass = 1048,
                  ExpectedLetSetGet = 1049, ExpectedProperty = 1050,
                  InconsistentPropertyArgs = 1051, MultipleDefaults = 1052,
                  InitTerminateArgs = 1053, PropertyNeedsArgument = 1054, UnexpectedNext = 1055,
                  DefaultPlacement = 1056, DefaultNeedsPublic = 1057, DefaultOnlyOnGet = 1058,
                  InvalidMe = 1037, ExpectedRBracket = 1007, LoopWithoutDo = 1038;
}  // namespace err

// VBScript's text for an error number, or an empty view when it has none.
std::u16string_view errorText(int32_t number) noexcept;

// A run-time error on its way out of the evaluator. `name` is the identifier the error is
// about (a variable, a procedure, "Console.Foo"); the host's report shows it after the text.
struct ScriptException {
    ScriptException(ErrorInfo i, std::u16string n = {}) : info(std::move(i)), name(std::move(n)) {}
    ErrorInfo info;
    std::u16string name;
    int line = -1;  // set by the statement that the error escaped from first
    int col = -1;
    // The chain of calls so far: each procedure the error left adds itself with the
    // statement that was running in it (frameLine, frameCol, then reset for the caller).
    std::vector<CallFrame> calls;
    int frameLine = -1;
    int frameCol = -1;
};

// Records that the error leaves the procedure `name` (an entry of the chain of calls).
void leaveProcedure(ScriptException& e, const std::u16string& name);

// The interruption (Engine::interrupt or the step budget). Not an error: On Error Resume Next
// does not catch it.
struct InterruptException {};

// The error for a number, with the runtime source and VBScript's text.
ErrorInfo runtimeErrorInfo(int32_t number);

[[noreturn]] void raise(int32_t number);
[[noreturn]] void raise(int32_t number, std::u16string name);
[[noreturn]] void raise(ErrorInfo info);

}  // namespace qp::vbs
