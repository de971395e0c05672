#include "Builtins.h"

#include "Convert.h"
#include "Errors.h"
#include "Text.h"

#include <array>

namespace qp::vbs {

namespace {

#define QP_VBS_ROW(name, min, max) Builtin{u## #name, min, max, &builtin##name},
constexpr Builtin kBuiltins[] = {QP_VBS_BUILTINS(QP_VBS_ROW)};
#undef QP_VBS_ROW
#define QP_VBS_COUNT(name, min, max) +1
constexpr size_t kBuiltinCount = 0 QP_VBS_BUILTINS(QP_VBS_COUNT);
#undef QP_VBS_COUNT
static_assert(std::size(kBuiltins) == kBuiltinCount && kBuiltinCount == 97, "one row per built-in");

struct Constant {
    std::u16string_view name;
    int32_t number;
    std::u16string_view text;  // for string constants (number unused)
    bool isString;
};

constexpr Constant num(std::u16string_view n, int32_t v) { return {n, v, {}, false}; }
constexpr Constant str(std::u16string_view n, std::u16string_view t) { return {n, 0, t, true}; }

constexpr std::u16string_view kNul{u"\0", 1};

constexpr std::array kConstants = {
    str(u"vbCrLf", u"\r\n"), str(u"vbCr", u"\r"), str(u"vbLf", u"\n"), str(u"vbTab", u"\t"),
    str(u"vbNewLine", u"\r\n"), str(u"vbNullString", u""), str(u"vbNullChar", kNul),
    str(u"vbFormFeed", u"\f"), str(u"vbVerticalTab", u"\v"),
    num(u"vbObjectError", -2147221504), num(u"vbBinaryCompare", 0), num(u"vbTextCompare", 1),
    num(u"vbTrue", -1), num(u"vbFalse", 0), num(u"vbUseDefault", -2),
    // MsgBox buttons and results.
    num(u"vbOKOnly", 0), num(u"vbOKCancel", 1), num(u"vbAbortRetryIgnore", 2),
    num(u"vbYesNoCancel", 3), num(u"vbYesNo", 4), num(u"vbRetryCancel", 5),
    num(u"vbCritical", 16), num(u"vbQuestion", 32), num(u"vbExclamation", 48),
    num(u"vbInformation", 64), num(u"vbDefaultButton1", 0), num(u"vbDefaultButton2", 256),
    num(u"vbDefaultButton3", 512), num(u"vbDefaultButton4", 768),
    num(u"vbApplicationModal", 0), num(u"vbSystemModal", 4096),
    num(u"vbOK", 1), num(u"vbCancel", 2), num(u"vbAbort", 3), num(u"vbRetry", 4),
    num(u"vbIgnore", 5), num(u"vbYes", 6), num(u"vbNo", 7),
    // VarType results.
    num(u"vbEmpty", 0), num(u"vbNull", 1), num(u"vbInteger", 2), num(u"vbLong", 3),
    num(u"vbSingle", 4), num(u"vbDouble", 5), num(u"vbCurrency", 6), num(u"vbDate", 7),
    num(u"vbString", 8), num(u"vbObject", 9), num(u"vbError", 10), num(u"vbBoolean", 11),
    num(u"vbVariant", 12), num(u"vbDataObject", 13), num(u"vbDecimal", 14), num(u"vbByte", 17),
    num(u"vbArray", 8192),
    // Days and date formats.
    num(u"vbUseSystemDayOfWeek", 0), num(u"vbSunday", 1), num(u"vbMonday", 2),
    num(u"vbTuesday", 3), num(u"vbWednesday", 4), num(u"vbThursday", 5), num(u"vbFriday", 6),
    num(u"vbSaturday", 7), num(u"vbUseSystem", 0), num(u"vbFirstJan1", 1),
    num(u"vbFirstFourDays", 2), num(u"vbFirstFullWeek", 3), num(u"vbGeneralDate", 0),
    num(u"vbLongDate", 1), num(u"vbShortDate", 2), num(u"vbLongTime", 3), num(u"vbShortTime", 4),
};
static_assert(kConstants.size() == 72, "constant table changed");

// DISP_E_PARAMNOTFOUND, the value automation gives an argument left out.
constexpr int32_t kParamNotFound = int32_t(0x80020004u);

}  // namespace

const Builtin* findBuiltin(std::u16string_view name) noexcept
{
    for (const Builtin& b : kBuiltins)
        if (equalsNoCase(b.name, name))
            return &b;
    return nullptr;
}

bool findConstant(std::u16string_view name, Variant& value)
{
    for (const Constant& c : kConstants) {
        if (!equalsNoCase(c.name, name))
            continue;
        if (c.isString)
            value = Variant::fromString(c.text);
        else if (c.number >= -32768 && c.number <= 32767)
            value = Variant::fromInteger(int16_t(c.number));
        else
            value = Variant::fromLong(c.number);
        return true;
    }
    return false;
}

Variant missingArgument()
{
    // An Error-subtype variant, as automation passes an omitted optional argument.
    return Variant::fromError(kParamNotFound);
}

bool isMissing(BuiltinArgs args, size_t i) noexcept
{
    return i >= args.size() || args[i].type() == VarType::Error;
}

int32_t longArg(const Variant& v)
{
    if (v.isNull())
        raise(err::InvalidNull);
    return toLng(v);
}

std::u16string stringArg(const Variant& v)
{
    if (v.isNull())
        raise(err::InvalidNull);
    return toStr(v);
}

void checkLength(Context& ctx, size_t length)
{
    if (length > ctx.limits.maxStringLength)
        raise(err::OutOfMemory);
}

Variant stringResult(Context& ctx, std::u16string s)
{
    checkLength(ctx, s.size());
    return Variant::fromString(std::move(s));
}

}  // namespace qp::vbs
