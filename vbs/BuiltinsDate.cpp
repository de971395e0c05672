// Date and time functions. Dates are serials (see DateTime.h).
#include "Builtins.h"
#include "Convert.h"
#include "DateTime.h"
#include "Errors.h"
#include "Text.h"

#include <array>
#include <chrono>
#include <cmath>

namespace qp::vbs {

namespace {

constexpr std::array<std::u16string_view, 12> kMonthNames = {
    u"January", u"February", u"March", u"April", u"May", u"June",
    u"July", u"August", u"September", u"October", u"November", u"December"};
constexpr std::array<std::u16string_view, 7> kDayNames = {
    u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};

// Null in, Null out; otherwise one part of the date as an Integer.
template <class F>
Variant datePart(const Variant& v, F part)
{
    if (v.isNull())
        return v;
    return Variant::fromInteger(int16_t(part(splitDate(toDateSerial(v)))));
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval intervalArg(const Variant& v)
{
    std::u16string s = stringArg(v);
    struct Name { std::u16string_view text; Interval value; };
    static constexpr Name kNames[] = {
        {u"yyyy", Interval::Year}, {u"q", Interval::Quarter}, {u"m", Interval::Month},
        {u"y", Interval::DayOfYear}, {u"d", Interval::Day}, {u"w", Interval::Weekday},
        {u"ww", Interval::Week}, {u"h", Interval::Hour}, {u"n", Interval::Minute},
        {u"s", Interval::Second}};
    for (const Name& n : kNames)
        if (equalsNoCase(n.text, s))
            return n.value;
    raise(err::InvalidCall);
}

double checkedDate(double serial)
{
    if (!validDate(serial))
        raise(err::InvalidCall);
    return serial;
}

double addMonths(double serial, int64_t months)
{
    CivilTime ct = splitDate(serial);
    int64_t total = int64_t(ct.year) * 12 + (ct.month - 1) + months;
    if (total < 100 * 12 || total > 9999 * 12 + 11)
        raise(err::InvalidCall);
    int y = int(total / 12), m = int(total % 12) + 1;
    double lastDay = daySerial(y, m + 1, 0);
    double day = std::min(daySerial(y, m, ct.day), lastDay);
    double time = std::fabs(serial - std::trunc(serial));
    return combineDateTime(day, time);
}

int64_t wholeSeconds(double serial)
{
    double days = std::floor(serial);
    double time = std::fabs(serial - std::trunc(serial));
    if (serial < 0)
        days = std::trunc(serial);
    return int64_t(days) * 86400 + std::llround(time * 86400);
}

int64_t floorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

}  // namespace

Variant builtinNow(Context&, BuiltinArgs) { return Variant::fromDate(nowSerial()); }
Variant builtinDate(Context&, BuiltinArgs) { return Variant::fromDate(std::trunc(nowSerial())); }

Variant builtinTime(Context&, BuiltinArgs)
{
    double now = nowSerial();
    return Variant::fromDate(now - std::trunc(now));
}

Variant builtinTimer(Context&, BuiltinArgs)
{
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
    double secs = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + double(micros) / 1e6;
    return Variant::fromSingle(float(secs));
}

Variant builtinYear(Context&, BuiltinArgs args) { return datePart(args[0], [](const CivilTime& c) { return c.year; }); }
Variant builtinMonth(Context&, BuiltinArgs args) { return datePart(args[0], [](const CivilTime& c) { return c.month; }); }
Variant builtinDay(Context&, BuiltinArgs args) { return datePart(args[0], [](const CivilTime& c) { return c.day; }); }
Variant builtinHour(Context&, BuiltinArgs args) { return datePart(args[0], [](const CivilTime& c) { return c.hour; }); }
Variant builtinMinute(Context&, BuiltinArgs args) { return datePart(args[0], [](const CivilTime& c) { return c.minute; }); }
Variant builtinSecond(Context&, BuiltinArgs args) { return datePart(args[0], [](const CivilTime& c) { return c.second; }); }

Variant builtinWeekday(Context&, BuiltinArgs args)
{
    int32_t first = isMissing(args, 1) ? 1 : longArg(args[1]);
    if (first < 0 || first > 7)
        raise(err::InvalidCall);
    if (first == 0)
        first = 1;
    return datePart(args[0], [first](const CivilTime& c) { return (c.weekday - first + 7) % 7 + 1; });
}

Variant builtinDateAdd(Context&, BuiltinArgs args)
{
    Interval iv = intervalArg(args[0]);
    if (args[1].isNull() || args[2].isNull())
        return Variant::null();
    double n = std::trunc(toDbl(args[1]));
    double d = toDateSerial(args[2]);
    double r = 0;
    switch (iv) {
    case Interval::Year: r = addMonths(d, int64_t(n) * 12); break;
    case Interval::Quarter: r = addMonths(d, int64_t(n) * 3); break;
    case Interval::Month: r = addMonths(d, int64_t(n)); break;
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday: r = combineDateTime(std::trunc(d) + n, std::fabs(d - std::trunc(d))); break;
    case Interval::Week: r = combineDateTime(std::trunc(d) + 7 * n, std::fabs(d - std::trunc(d))); break;
    case Interval::Hour: r = d + n / 24.0; break;
    case Interval::Minute: r = d + n / 1440.0; break;
    case Interval::Second: r = d + n / 86400.0; break;
    }
    return Variant::fromDate(checkedDate(r));
}

Variant builtinDateDiff(Context&, BuiltinArgs args)
{
    Interval iv = intervalArg(args[0]);
    if (args[1].isNull() || args[2].isNull())
        return Variant::null();
    double d1 = toDateSerial(args[1]), d2 = toDateSerial(args[2]);
    int32_t firstDay = isMissing(args, 3) ? 1 : longArg(args[3]);
    CivilTime a = splitDate(d1), b = splitDate(d2);
    int64_t days1 = int64_t(std::floor(wholeSeconds(d1) / 86400.0));
    int64_t days2 = int64_t(std::floor(wholeSeconds(d2) / 86400.0));
    int64_t r = 0;
    switch (iv) {
    case Interval::Year: r = b.year - a.year; break;
    case Interval::Quarter: r = (b.year * 4 + (b.month - 1) / 3) - (a.year * 4 + (a.month - 1) / 3); break;
    case Interval::Month: r = (b.year * 12 + b.month) - (a.year * 12 + a.month); break;
    case Interval::DayOfYear:
    case Interval::Day: r = days2 - days1; break;
    case Interval::Weekday: r = (days2 - days1) / 7; break;
    case Interval::Week: {
        // Counts the first days of the week between the two dates.
        int first = firstDay < 1 || firstDay > 7 ? 1 : firstDay;
        auto weekStart = [first](int64_t day, int weekday) { return day - ((weekday - first + 7) % 7); };
        r = (weekStart(days2, b.weekday) - weekStart(days1, a.weekday)) / 7;
        break;
    }
    case Interval::Hour: r = floorDiv(wholeSeconds(d2), 3600) - floorDiv(wholeSeconds(d1), 3600); break;
    case Interval::Minute: r = floorDiv(wholeSeconds(d2), 60) - floorDiv(wholeSeconds(d1), 60); break;
    case Interval::Second: r = wholeSeconds(d2) - wholeSeconds(d1); break;
    }
    if (r < INT32_MIN || r > INT32_MAX)
        raise(err::Overflow);
    return Variant::fromLong(int32_t(r));
}

Variant builtinDateSerial(Context&, BuiltinArgs args)
{
    int32_t y = longArg(args[0]), m = longArg(args[1]), d = longArg(args[2]);
    if (y >= 0 && y < 30) y += 2000;
    else if (y >= 30 && y < 100) y += 1900;
    if (std::abs(m) > 1000000 || std::abs(d) > 10000000 || y < -10000 || y > 20000)
        raise(err::InvalidCall);
    return Variant::fromDate(checkedDate(daySerial(y, m, d)));
}

Variant builtinTimeSerial(Context&, BuiltinArgs args)
{
    int32_t h = longArg(args[0]), m = longArg(args[1]), s = longArg(args[2]);
    double t = (double(h) * 3600 + double(m) * 60 + s) / 86400.0;
    double days = std::floor(t);
    return Variant::fromDate(checkedDate(combineDateTime(days, t - days)));
}

Variant builtinMonthName(Context&, BuiltinArgs args)
{
    int32_t m = longArg(args[0]);
    if (m < 1 || m > 12)
        raise(err::InvalidCall);
    bool abbreviate = !isMissing(args, 1) && toBoolean(args[1]);
    std::u16string_view name = kMonthNames[size_t(m - 1)];
    return Variant::fromString(abbreviate ? name.substr(0, 3) : name);
}

Variant builtinWeekdayName(Context&, BuiltinArgs args)
{
    int32_t d = longArg(args[0]);
    bool abbreviate = !isMissing(args, 1) && toBoolean(args[1]);
    int32_t first = isMissing(args, 2) ? 1 : longArg(args[2]);
    if (d < 1 || d > 7 || first < 0 || first > 7)
        raise(err::InvalidCall);
    if (first == 0)
        first = 1;
    std::u16string_view name = kDayNames[size_t((d - 1 + first - 1) % 7)];
    return Variant::fromString(abbreviate ? name.substr(0, 3) : name);
}

}  // namespace qp::vbs
