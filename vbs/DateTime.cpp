#include "DateTime.h"

#include "Text.h"

#include <array>
#include <cmath>
#include <ctime>
#include <vector>

namespace qp::vbs {

namespace {

// Days from 1 March of year 0 style civil calendar (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, int m, int d) noexcept
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) noexcept
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

const int64_t kEpoch = daysFromCivil(1899, 12, 30);

constexpr std::array<std::u16string_view, 12> kMonths = {
    u"january", u"february", u"march", u"april", u"may", u"june",
    u"july", u"august", u"september", u"october", u"november", u"december"};

int monthByName(std::u16string_view word)
{
    if (word.size() < 3)
        return 0;
    for (size_t i = 0; i < kMonths.size(); ++i) {
        std::u16string_view full = kMonths[i];
        if (word.size() <= full.size() && equalsNoCase(word, full.substr(0, word.size())))
            return int(i) + 1;
    }
    return 0;
}

struct Part {
    enum Kind { Num, Word, Sep } kind;
    std::u16string_view text;
    int value = 0;
    char16_t sep = 0;
    int digits = 0;
};

bool tokenizeDate(std::u16string_view s, std::vector<Part>& parts)
{
    size_t i = 0;
    while (i < s.size()) {
        char16_t c = s[i];
        if (c == ' ' || c == '\t' || c == ',') {
            ++i;
            if (c == ',')
                parts.push_back({Part::Sep, s.substr(i - 1, 1), 0, u','});
            continue;
        }
        if (c >= '0' && c <= '9') {
            size_t j = i;
            int v = 0;
            while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
                if (v > 100000)
                    return false;
                v = v * 10 + (s[j] - '0');
                ++j;
            }
            parts.push_back({Part::Num, s.substr(i, j - i), v, 0, int(j - i)});
            i = j;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            size_t j = i;
            while (j < s.size() && ((s[j] | 0x20) >= 'a' && (s[j] | 0x20) <= 'z'))
                ++j;
            parts.push_back({Part::Word, s.substr(i, j - i)});
            i = j;
        } else if (c == '/' || c == '-' || c == ':' || c == '.') {
            parts.push_back({Part::Sep, s.substr(i, 1), 0, c});
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

int fullYear(const Part& p)
{
    if (p.digits <= 2)
        return p.value < 30 ? 2000 + p.value : 1900 + p.value;
    return p.value;
}

bool validDay(int y, int m, int d)
{
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1)
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap);
}

// Reads a time (h[:m[:s]] [AM|PM]) starting at parts[i]; i moves past it.
bool readTime(const std::vector<Part>& p, size_t& i, double& time)
{
    int h = p[i].value, mi = 0, se = 0;
    size_t j = i + 1;
    bool hasColon = false;
    if (j + 1 < p.size() && p[j].kind == Part::Sep && p[j].sep == ':' && p[j + 1].kind == Part::Num) {
        mi = p[j + 1].value;
        j += 2;
        hasColon = true;
        if (j + 1 < p.size() && p[j].kind == Part::Sep && p[j].sep == ':' && p[j + 1].kind == Part::Num) {
            se = p[j + 1].value;
            j += 2;
        }
    }
    bool ampm = false;
    if (j < p.size() && p[j].kind == Part::Word) {
        std::u16string_view w = p[j].text;
        if (equalsNoCase(w, u"AM") || equalsNoCase(w, u"A")) {
            ampm = true;
            if (h == 12) h = 0;
        } else if (equalsNoCase(w, u"PM") || equalsNoCase(w, u"P")) {
            ampm = true;
            if (h != 12) h += 12;
        }
        if (ampm)
            ++j;
    }
    if (!hasColon && !ampm)
        return false;
    if (ampm && (p[i].value < 0 || p[i].value > 12))
        return false;
    if (h > 23 || mi > 59 || se > 59)
        return false;
    time = timeSerial(h, mi, se);
    i = j;
    return true;
}

struct Ymd {
    int year = 0, month = 0, day = 0;
};

// The numbers and month name of a date starting at parts[i], at most three, with the
// separators between them; stops before a number that begins a time (h:...). Returns the
// index past them.
size_t dateFields(const std::vector<Part>& p, size_t i, std::vector<const Part*>& fields)
{
    size_t j = i;
    while (j < p.size() && fields.size() < 3) {
        bool number = p[j].kind == Part::Num;
        if (!number && !(p[j].kind == Part::Word && monthByName(p[j].text)))
            break;
        if (number && j + 1 < p.size() && p[j + 1].kind == Part::Sep && p[j + 1].sep == ':')
            break;
        fields.push_back(&p[j]);
        ++j;
        if (j < p.size() && p[j].kind == Part::Sep && p[j].sep != ':')
            ++j;
    }
    return j;
}

// A month name with the day and perhaps the year: "Jan 2", "2 Jan", "Jan 2 2003",
// "2 Jan 2003", "2003 Jan 2". Without a year the date falls in the current one.
Ymd dateWithMonthName(const std::vector<const Part*>& fields, size_t monthAt, int currentYear)
{
    Ymd date;
    date.month = monthByName(fields[monthAt]->text);
    std::vector<const Part*> nums;
    for (size_t k = 0; k < fields.size(); ++k)
        if (k != monthAt)
            nums.push_back(fields[k]);
    if (nums.size() == 1) {
        date.day = nums[0]->value;
        date.year = currentYear;
    } else if (nums[0]->digits > 2 && nums[0]->value > 31) {
        date.year = fullYear(*nums[0]);
        date.day = nums[1]->value;
    } else {
        date.day = nums[0]->value;
        date.year = fullYear(*nums[1]);
    }
    return date;
}

// Two numbers: month/day of the current year, or else month/year (the first of the month).
Ymd dateOfTwoNumbers(const Part& a, const Part& b, int currentYear)
{
    if (validDay(currentYear, a.value, b.value))
        return {currentYear, a.value, b.value};
    return {fullYear(b), a.value, 1};
}

// Three numbers: y-m-d when the first cannot be a day, else m/d/y, or d/m/y when the first
// cannot be a month but the second can.
Ymd dateOfThreeNumbers(const Part& a, const Part& b, const Part& c)
{
    if (a.digits > 2 || a.value > 31)
        return {fullYear(a), b.value, c.value};
    Ymd date{fullYear(c), a.value, b.value};
    if (date.month > 12 && date.day <= 12)
        std::swap(date.month, date.day);
    return date;
}

// Reads a date from numbers and a month name, in the orders m/d/y, y-m-d, d Mon y, Mon d y,
// starting at parts[i]; i moves past it.
bool readDate(const std::vector<Part>& p, size_t& i, double& days, int (*currentYear)())
{
    std::vector<const Part*> fields;
    size_t end = dateFields(p, i, fields);
    if (fields.size() < 2)
        return false;
    size_t monthAt = fields.size();
    for (size_t k = 0; k < fields.size(); ++k)
        if (fields[k]->kind == Part::Word)
            monthAt = k;
    Ymd date;
    if (monthAt < fields.size())
        date = dateWithMonthName(fields, monthAt, fields.size() == 2 ? currentYear() : 0);
    else if (fields.size() == 2)
        date = dateOfTwoNumbers(*fields[0], *fields[1], currentYear());
    else
        date = dateOfThreeNumbers(*fields[0], *fields[1], *fields[2]);
    if (!validDay(date.year, date.month, date.day))
        return false;
    days = daySerial(date.year, date.month, date.day);
    i = end;
    return true;
}

std::u16string ascii(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

}  // namespace

double daySerial(int year, int month, int day) noexcept
{
    int64_t y = year + (month - 1) / 12;
    int m = (month - 1) % 12;
    if (m < 0) {
        m += 12;
        --y;
    }
    return double(daysFromCivil(y, m + 1, 1) - kEpoch + (day - 1));
}

double timeSerial(int hour, int minute, int second) noexcept
{
    return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

double combineDateTime(double days, double time) noexcept
{
    return days >= 0 ? days + time : days - time;
}

CivilTime splitDate(double serial) noexcept
{
    CivilTime ct;
    double days = std::trunc(serial);
    double frac = std::fabs(serial - days);
    int64_t secs = std::llround(frac * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        days += serial >= 0 ? 1 : -1;
    }
    civilFromDays(int64_t(days) + kEpoch, ct.year, ct.month, ct.day);
    ct.hour = int(secs / 3600);
    ct.minute = int(secs / 60 % 60);
    ct.second = int(secs % 60);
    int64_t wd = (int64_t(days) + kEpoch + 4) % 7;  // 1970-01-01 was a Thursday
    if (wd < 0) wd += 7;
    ct.weekday = int(wd) + 1;
    return ct;
}

bool validDate(double serial) noexcept
{
    return serial >= kMinDate && serial < 2958466.0 && !std::isnan(serial);
}

int localYear()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm.tm_year + 1900;
}

bool parseDateText(std::u16string_view text, double& serial, int (*currentYear)())
{
    std::vector<Part> p;
    if (!tokenizeDate(text, p) || p.empty())
        return false;
    size_t i = 0;
    double days = 0, time = 0;
    bool haveDate = false, haveTime = false;
    while (i < p.size()) {
        if (p[i].kind == Part::Sep && p[i].sep == ',') {
            ++i;
            continue;
        }
        if (!haveTime && p[i].kind == Part::Num && readTime(p, i, time)) {
            haveTime = true;
            continue;
        }
        if (!haveDate && readDate(p, i, days, currentYear)) {
            haveDate = true;
            continue;
        }
        return false;
    }
    if (!haveDate && !haveTime)
        return false;
    serial = combineDateTime(days, time);
    return true;
}

std::u16string formatDateOnly(double serial)
{
    CivilTime ct = splitDate(serial);
    return ascii(std::to_string(ct.month) + "/" + std::to_string(ct.day) + "/" + std::to_string(ct.year));
}

std::u16string formatTimeOnly(double serial)
{
    CivilTime ct = splitDate(serial);
    int h12 = ct.hour % 12 == 0 ? 12 : ct.hour % 12;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, ct.minute, ct.second, ct.hour < 12 ? "AM" : "PM");
    return ascii(buf);
}

std::u16string formatDate(double serial)
{
    CivilTime ct = splitDate(serial);
    bool hasTime = ct.hour || ct.minute || ct.second;
    bool hasDate = std::trunc(serial) != 0;
    if (!hasDate)
        return formatTimeOnly(serial);  // the zero date shows as 12:00:00 AM
    if (!hasTime)
        return formatDateOnly(serial);
    return formatDateOnly(serial) + u" " + formatTimeOnly(serial);
}

double nowSerial()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return combineDateTime(daySerial(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                           timeSerial(tm.tm_hour, tm.tm_min, tm.tm_sec));
}

}  // namespace qp::vbs
