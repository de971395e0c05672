// FormatNumber, FormatPercent, FormatCurrency, FormatDateTime, DatePart, DateValue, TimeValue,
// Escape, Unescape, CCur and the engine's version. Numbers and dates are formatted the
// US English way whatever the process locale says (the engine's texts never depend on the
// machine): "." before decimals, "," between thousands, "$" for currency with negative
// amounts in parentheses, dates month/day/year.
#include "Builtins.h"
#include "Convert.h"
#include "DateTime.h"
#include "Errors.h"
#include "Text.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace qp::vbs {

namespace {

constexpr int32_t kUseDefault = -2;

int32_t optionalInt(BuiltinArgs args, size_t i, int32_t fallback)
{
    return isMissing(args, i) ? fallback : longArg(args[i]);
}

// A tristate argument: True (-1), False (0) or the default (-2).
bool tristate(BuiltinArgs args, size_t i, bool fallback)
{
    int32_t v = optionalInt(args, i, kUseDefault);
    if (v == kUseDefault)
        return fallback;
    return v != 0;
}

// The number with `digits` decimals (rounded half away from zero, as the formats do),
// grouped by thousands; a negative sign or parentheses around it.
std::u16string formatFixed(double x, int digits, bool leadingZero, bool parens, bool group, const char* prefix,
                           const char* suffix)
{
    if (digits < -1 || digits > 255)
        raise(err::InvalidCall);
    if (digits == -1)
        digits = 2;
    double scale = std::pow(10.0, std::min(digits, 300));
    double rounded = std::round(std::fabs(x) * scale) / scale;
    bool negative = x < 0 && rounded != 0;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", std::min(digits, 300), rounded);
    std::string text = buf;
    size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point);
    if (whole == "0" && !leadingZero && !fraction.empty())
        whole.clear();
    if (group && whole.size() > 3) {
        std::string grouped;
        size_t lead = whole.size() % 3;
        for (size_t i = 0; i < whole.size(); ++i) {
            if (i != 0 && (i - lead) % 3 == 0 && i >= lead)
                grouped += ',';
            grouped += whole[i];
        }
        whole = grouped;
    }
    std::string body = std::string(prefix) + whole + fraction + suffix;
    if (negative)
        body = parens ? "(" + body + ")" : "-" + body;
    return asciiToUtf16(body);
}

Variant formatNumberLike(BuiltinArgs args, double scale, const char* prefix, const char* suffix, bool parensDefault)
{
    if (args[0].isNull())
        raise(err::TypeMismatch);
    double x = toDbl(args[0]) * scale;
    int digits = optionalInt(args, 1, -1);
    bool leading = tristate(args, 2, true);
    bool parens = tristate(args, 3, parensDefault);
    bool group = tristate(args, 4, true);
    return Variant::fromString(formatFixed(x, digits, leading, parens, group, prefix, suffix));
}

constexpr std::array<std::u16string_view, 12> kMonthNames = {
    u"January", u"February", u"March", u"April", u"May", u"June",
    u"July", u"August", u"September", u"October", u"November", u"December"};
constexpr std::array<std::u16string_view, 7> kDayNames = {
    u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};

}  // namespace

Variant builtinFormatNumber(Context&, BuiltinArgs args) { return formatNumberLike(args, 1, "", "", false); }
Variant builtinFormatPercent(Context&, BuiltinArgs args) { return formatNumberLike(args, 100, "", "%", false); }
Variant builtinFormatCurrency(Context&, BuiltinArgs args) { return formatNumberLike(args, 1, "$", "", true); }

Variant builtinFormatDateTime(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        raise(err::TypeMismatch);
    double serial = toDateSerial(args[0]);
    int32_t format = optionalInt(args, 1, 0);
    CivilTime ct = splitDate(serial);
    char buf[64];
    switch (format) {
    case 0: return Variant::fromString(formatDate(serial));                // vbGeneralDate
    case 1:                                                                  // vbLongDate
        return Variant::fromString(std::u16string(kDayNames[size_t(ct.weekday - 1)]) + u", "
                                   + std::u16string(kMonthNames[size_t(ct.month - 1)]) + u" "
                                   + asciiToUtf16(std::to_string(ct.day) + ", " + std::to_string(ct.year)));
    case 2: return Variant::fromString(formatDateOnly(serial));            // vbShortDate
    case 3: return Variant::fromString(formatTimeOnly(serial));            // vbLongTime
    case 4:                                                                  // vbShortTime
        std::snprintf(buf, sizeof buf, "%02d:%02d", ct.hour, ct.minute);
        return Variant::fromString(asciiToUtf16(buf));
    default: raise(err::InvalidCall);
    }
}

namespace {

// The week of the year holding a date: week 1 holds 1 January (vbFirstJan1), or has four
// days of the new year (vbFirstFourDays), or is the first full week (vbFirstFullWeek).
int weekOfYear(double serial, int firstDay, int firstWeek)
{
    CivilTime ct = splitDate(serial);
    int dayOfYear = int(std::floor(daySerial(ct.year, ct.month, ct.day)) - std::floor(daySerial(ct.year, 1, 1)));
    CivilTime jan1 = splitDate(daySerial(ct.year, 1, 1));
    int offset = (jan1.weekday - firstDay + 7) % 7;  // days of week 1 before 1 January
    if ((firstWeek == 2 && offset > 3) || (firstWeek == 3 && offset > 0))
        offset -= 7;
    if (dayOfYear + offset < 0)
        return weekOfYear(daySerial(ct.year, 1, 0), firstDay, firstWeek);  // the previous year's last
    return (dayOfYear + offset) / 7 + 1;
}

}  // namespace

Variant builtinDatePart(Context&, BuiltinArgs args)
{
    std::u16string interval = stringArg(args[0]);
    if (args[1].isNull())
        return Variant::null();
    double serial = toDateSerial(args[1]);
    int32_t firstDay = optionalInt(args, 2, 1);
    int32_t firstWeek = optionalInt(args, 3, 1);
    if (firstDay < 0 || firstDay > 7 || firstWeek < 0 || firstWeek > 3)
        raise(err::InvalidCall);
    if (firstDay == 0)
        firstDay = 1;
    if (firstWeek == 0)
        firstWeek = 1;
    CivilTime ct = splitDate(serial);
    auto is = [&](std::u16string_view s) { return equalsNoCase(interval, s); };
    int r;
    if (is(u"yyyy")) r = ct.year;
    else if (is(u"q")) r = (ct.month - 1) / 3 + 1;
    else if (is(u"m")) r = ct.month;
    else if (is(u"y")) r = int(std::floor(daySerial(ct.year, ct.month, ct.day)) - std::floor(daySerial(ct.year, 1, 1))) + 1;
    else if (is(u"d")) r = ct.day;
    else if (is(u"w")) r = (ct.weekday - firstDay + 7) % 7 + 1;
    else if (is(u"ww")) r = weekOfYear(serial, firstDay, firstWeek);
    else if (is(u"h")) r = ct.hour;
    else if (is(u"n")) r = ct.minute;
    else if (is(u"s")) r = ct.second;
    else raise(err::InvalidCall);
    return Variant::fromInteger(int16_t(r));
}

Variant builtinDateValue(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        return Variant::null();
    double serial = toDateSerial(args[0]);
    return Variant::fromDate(std::trunc(serial));
}

Variant builtinTimeValue(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        return Variant::null();
    double serial = toDateSerial(args[0]);
    return Variant::fromDate(std::fabs(serial - std::trunc(serial)));
}

// ---- Escape and Unescape

Variant builtinEscape(Context& ctx, BuiltinArgs args)
{
    if (args[0].isNull())
        return Variant::null();
    std::u16string s = stringArg(args[0]);
    std::u16string out;
    out.reserve(s.size());
    static const char* kHex = "0123456789ABCDEF";
    for (char16_t c : s) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '@' || c == '*'
            || c == '_' || c == '+' || c == '-' || c == '.' || c == '/';
        if (plain) {
            out += c;
        } else if (c < 256) {
            out += u'%';
            out += char16_t(kHex[c >> 4]);
            out += char16_t(kHex[c & 15]);
        } else {
            out += u"%u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += char16_t(kHex[(c >> shift) & 15]);
        }
    }
    return stringResult(ctx, std::move(out));
}

Variant builtinUnescape(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        return Variant::null();
    std::u16string s = stringArg(args[0]);
    auto hex = [](char16_t c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::u16string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 5 < s.size() && s[i + 1] == 'u' && hex(s[i + 2]) >= 0 && hex(s[i + 3]) >= 0
            && hex(s[i + 4]) >= 0 && hex(s[i + 5]) >= 0) {
            out += char16_t((hex(s[i + 2]) << 12) | (hex(s[i + 3]) << 8) | (hex(s[i + 4]) << 4) | hex(s[i + 5]));
            i += 5;
        } else if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out += char16_t((hex(s[i + 1]) << 4) | hex(s[i + 2]));
            i += 2;
        } else {
            out += s[i];  // anything else, a lone % included, stays as it is
        }
    }
    return Variant::fromString(std::move(out));
}

// ---- Currency and the engine's version

Variant builtinCCur(Context&, BuiltinArgs args)
{
    if (args[0].isNull())
        raise(err::InvalidNull);
    return Variant::fromCurrency(toCurrencyUnits(args[0]));
}

Variant builtinScriptEngine(Context&, BuiltinArgs) { return Variant::fromString(u"VBScript"); }
Variant builtinScriptEngineMajorVersion(Context&, BuiltinArgs) { return Variant::fromLong(5); }
Variant builtinScriptEngineMinorVersion(Context&, BuiltinArgs) { return Variant::fromLong(8); }
Variant builtinScriptEngineBuildVersion(Context&, BuiltinArgs) { return Variant::fromLong(16384); }

}  // namespace qp::vbs
