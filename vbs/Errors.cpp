#include "Errors.h"

#include <array>

namespace qp::vbs {

namespace {

struct ErrorText {
    int32_t number;
    std::u16string_view text;
};

// Sorted by number.
constexpr std::array kErrorTexts = {
    ErrorText{5, u"Invalid procedure call or argument"},
    ErrorText{6, u"Overflow"},
    ErrorText{7, u"Out of memory"},
    ErrorText{9, u"Subscript out of range"},
    ErrorText{10, u"This array is fixed or temporarily locked"},
    ErrorText{11, u"Division by zero"},
    ErrorText{13, u"Type mismatch"},
    ErrorText{14, u"Out of string space"},
    ErrorText{17, u"Can't perform requested operation"},
    ErrorText{28, u"Out of stack space"},
    ErrorText{35, u"Sub or Function not defined"},
    ErrorText{48, u"Error in loading DLL"},
    ErrorText{51, u"Internal error"},
    ErrorText{52, u"Bad file name or number"},
    ErrorText{53, u"File not found"},
    ErrorText{54, u"Bad file mode"},
    ErrorText{55, u"File already open"},
    ErrorText{57, u"Device I/O error"},
    ErrorText{58, u"File already exists"},
    ErrorText{61, u"Disk full"},
    ErrorText{62, u"Input past end of file"},
    ErrorText{67, u"Too many files"},
    ErrorText{70, u"Permission denied"},
    ErrorText{75, u"Path/File access error"},
    ErrorText{76, u"Path not found"},
    ErrorText{91, u"Object variable not set"},
    ErrorText{92, u"For loop not initialized"},
    ErrorText{94, u"Invalid use of Null"},
    ErrorText{424, u"Object required"},
    ErrorText{429, u"ActiveX component can't create object"},
    ErrorText{430, u"Class doesn't support Automation"},
    ErrorText{438, u"Object doesn't support this property or method"},
    ErrorText{440, u"Automation error"},
    ErrorText{445, u"Object doesn't support this action"},
    ErrorText{446, u"Object doesn't support named arguments"},
    ErrorText{448, u"Named argument not found"},
    ErrorText{449, u"Argument not optional"},
    ErrorText{450, u"Wrong number of arguments or invalid property assignment"},
    ErrorText{451, u"Object not a collection"},
    ErrorText{457, u"This key is already associated with an element of this collection"},
    ErrorText{458, u"Variable uses an Automation type not supported in VBScript"},
    ErrorText{500, u"Variable is undefined"},
    ErrorText{501, u"Illegal assignment"},
    ErrorText{502, u"Object not safe for scripting"},
    ErrorText{505, u"Invalid or unqualified reference"},
    ErrorText{506, u"Class not defined"},
    ErrorText{1001, u"Out of memory"},
    ErrorText{1002, u"Syntax error"},
    ErrorText{1003, u"Expected ':'"},
    ErrorText{1005, u"Expected '('"},
    ErrorText{1006, u"Expected ')'"},
    ErrorText{1007, u"Expected ']'"},
    ErrorText{1010, u"Expected identifier"},
    ErrorText{1011, u"Expected '='"},
    ErrorText{1012, u"Expected 'If'"},
    ErrorText{1013, u"Expected 'To'"},
    ErrorText{1014, u"Expected 'End'"},
    ErrorText{1015, u"Expected 'Function'"},
    ErrorText{1016, u"Expected 'Sub'"},
    ErrorText{1017, u"Expected 'Then'"},
    ErrorText{1018, u"Expected 'Wend'"},
    ErrorText{1019, u"Expected 'Loop'"},
    ErrorText{1020, u"Expected 'Next'"},
    ErrorText{1021, u"Expected 'Case'"},
    ErrorText{1022, u"Expected 'Select'"},
    ErrorText{1023, u"Expected expression"},
    ErrorText{1024, u"Expected statement"},
    ErrorText{1025, u"Expected end of statement"},
    ErrorText{1026, u"Expected integer constant"},
    ErrorText{1027, u"Expected 'While' or 'Until'"},
    ErrorText{1028, u"Expected 'While', 'Until' or end of statement"},
    ErrorText{1029, u"Expected 'With'"},
    ErrorText{1030, u"Identifier too long"},
    ErrorText{1031, u"Invalid number"},
    ErrorText{1032, u"Invalid character"},
    ErrorText{1033, u"Unterminated string constant"},
    ErrorText{1034, u"Unterminated comment"},
    ErrorText{1037, u"Invalid use of 'Me' keyword"},
    ErrorText{1038, u"'loop' without 'do'"},
    ErrorText{1039, u"Invalid 'exit' statement"},
    ErrorText{1040, u"Invalid 'for' loop control variable"},
    ErrorText{1041, u"Name redefined"},
    ErrorText{1042, u"Must be first statement on the line"},
    ErrorText{1043, u"Cannot assign to non-ByVal argument"},
    ErrorText{1044, u"Cannot use parentheses when calling a Sub"},
    ErrorText{1045, u"Expected literal constant"},
    ErrorText{1046, u"Expected 'In'"},
    ErrorText{1047, u"Expected 'Class'"},
    ErrorText{1048, u"Must be defined inside a Class"},
    ErrorText{1049, u"Expected Let or Set or Get in property declaration"},
    ErrorText{1050, u"Expected 'Property'"},
    ErrorText{1051, u"Number of arguments must be consistent across a property's procedures"},
    ErrorText{1052, u"Cannot have multiple default property/method in a Class"},
    ErrorText{1053, u"Class initialize or terminate do not have arguments"},
    ErrorText{1054, u"Property Set or Let must have at least one argument"},
    ErrorText{1055, u"Unexpected 'Next'"},
    ErrorText{1056, u"'Default' can only be given to a 'Property' or 'Function' or 'Sub'"},
    ErrorText{1057, u"'Default' must also be 'Public'"},
    ErrorText{1058, u"'Default' can only be on Property Get"},
    ErrorText{5017, u"Syntax error in regular expression"},
    ErrorText{5018, u"Unexpected quantifier"},
    ErrorText{5019, u"Expected ']' in regular expression"},
    ErrorText{5020, u"Expected ')' in regular expression"},
    ErrorText{5021, u"Invalid range in character set"},
    ErrorText{32811, u"Element not found"},
};
static_assert(kErrorTexts.size() == 105, "error table changed: check the ordering");

constexpr bool sortedByNumber()
{
    for (size_t i = 1; i < kErrorTexts.size(); ++i)
        if (kErrorTexts[i - 1].number >= kErrorTexts[i].number)
            return false;
    return true;
}
static_assert(sortedByNumber(), "error table must be sorted by number");

}  // namespace

std::u16string_view errorText(int32_t number) noexcept
{
    size_t lo = 0, hi = kErrorTexts.size();
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        if (kErrorTexts[mid].number < number)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < kErrorTexts.size() && kErrorTexts[lo].number == number)
        return kErrorTexts[lo].text;
    return {};
}

ErrorInfo runtimeErrorInfo(int32_t number)
{
    return {number, std::u16string(kRuntimeSource), std::u16string(errorText(number))};
}

void raise(int32_t number)
{
    throw ScriptException{runtimeErrorInfo(number), {}};
}

void raise(int32_t number, std::u16string name)
{
    throw ScriptException{runtimeErrorInfo(number), std::move(name)};
}

void leaveProcedure(ScriptException& e, const std::u16string& name)
{
    e.calls.push_back({name, e.frameLine < 0 ? 0 : e.frameLine, e.frameCol < 0 ? 0 : e.frameCol});
    e.frameLine = e.frameCol = -1;
}

void raise(ErrorInfo info)
{
    throw ScriptException{std::move(info), {}};
}

}  // namespace qp::vbs
