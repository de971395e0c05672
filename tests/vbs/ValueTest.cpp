// Values and conversions as hosts use them, and the text helpers.
#include "vbs/Coerce.h"
#include "vbs/Convert.h"
#include "vbs/DateTime.h"
#include "vbs/Text.h"
#include "TestHost.h"

#include <gtest/gtest.h>

using namespace qp::vbs;
using qp::vbs::test::narrow;

namespace {

TEST(Value, CopiesShareTextAndCountReferences)
{
    Variant a = Variant::fromString(u"shared");
    Variant b = a;
    EXPECT_EQ(a.stringData(), b.stringData());
    EXPECT_EQ(b.string(), u"shared");
    Variant c = std::move(a);
    EXPECT_TRUE(a.isEmpty());
    EXPECT_EQ(c.string(), u"shared");
    EXPECT_EQ(Variant::fromString(u"").string(), u"");
    EXPECT_TRUE(Variant::nothing().isNothing());
    EXPECT_FALSE(Variant::null().isEmpty());
}

TEST(Value, HostConversions)
{
    struct Row {
        const char* name;
        Variant value;
        const char16_t* text;  // expected CStr, or null for an error
        int error;             // its number
    };
    const Row rows[] = {
        {"empty", Variant(), u"", 0},
        {"true", Variant::fromBool(true), u"True", 0},
        {"integer", Variant::fromInteger(-5), u"-5", 0},
        {"double", Variant::fromDouble(2.5), u"2.5", 0},
        {"null", Variant::null(), nullptr, 94},
        {"date", Variant::fromDate(37623), u"1/2/2003", 0},
        {"array", makeArray({}), nullptr, 13},
    };
    for (const Row& r : rows) {
        Result<std::u16string> s = toString(r.value);
        if (r.text) {
            ASSERT_TRUE(s.ok()) << r.name;
            EXPECT_EQ(s.value(), r.text) << r.name;
        } else {
            ASSERT_FALSE(s.ok()) << r.name;
            EXPECT_EQ(s.error().number, r.error) << r.name;
            EXPECT_EQ(s.error().source, u"VBScript runtime error") << r.name;
        }
    }
    EXPECT_EQ(toLong(Variant::fromString(u"12")).value(), 12);
    EXPECT_EQ(toLong(Variant::fromDouble(2.5)).value(), 2);
    EXPECT_EQ(toLong(Variant::fromString(u"x")).error().number, 13);
    EXPECT_EQ(toLong(Variant::fromDouble(3e9)).error().number, 6);
    EXPECT_EQ(toInteger(Variant::fromLong(40000)).error().number, 6);
    EXPECT_TRUE(toBool(Variant::fromString(u"TRUE")).value());
    EXPECT_EQ(toDouble(Variant::fromBool(true)).value(), -1.0);
}

TEST(Value, NumericText)
{
    struct Row {
        const char16_t* text;
        bool ok;
        double value;
    };
    const Row rows[] = {
        {u"12", true, 12}, {u"  -3.5 ", true, -3.5}, {u"1e3", true, 1000}, {u"1,000", true, 1000},
        {u"&HFF", true, 255}, {u"&HFFFF", true, -1}, {u"&O17", true, 15}, {u".5", true, 0.5},
        {u"+7", true, 7}, {u"", false, 0}, {u" ", false, 0}, {u"abc", false, 0}, {u"1e", false, 0},
        {u"1.2.3", false, 0}, {u"&H", false, 0}, {u"--1", false, 0}, {u"1e999", false, 0},
    };
    for (const Row& r : rows) {
        double v = 0;
        EXPECT_EQ(parseNumeric(r.text, v), r.ok) << narrow(r.text);
        if (r.ok) {
            EXPECT_EQ(v, r.value) << narrow(r.text);
        }
    }
}

TEST(Value, DoubleText)
{
    struct Row {
        double value;
        const char16_t* text;
    };
    const Row rows[] = {
        {0.1 + 0.2, u"0.3"}, {1.0 / 3, u"0.333333333333333"}, {1e15, u"1E+15"}, {1e14, u"100000000000000"},
        {-0.0, u"0"}, {1.5e-7, u"1.5E-07"}, {0.0001, u"0.0001"}, {123.456, u"123.456"}, {-2.5, u"-2.5"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(formatDouble(r.value), r.text) << r.value;
}

TEST(Value, DateTexts)
{
    struct Row {
        const char16_t* text;
        bool ok;
        const char16_t* shown;
    };
    const Row rows[] = {
        {u"1/2/2003", true, u"1/2/2003"},
        {u"2003-01-02", true, u"1/2/2003"},
        {u"January 2, 2003", true, u"1/2/2003"},
        {u"2 Jan 2003", true, u"1/2/2003"},
        {u"1/2/03", true, u"1/2/2003"},
        {u"13:45", true, u"1:45:00 PM"},
        {u"1:45 PM", true, u"1:45:00 PM"},
        {u"12:00 AM", true, u"12:00:00 AM"},
        {u"1/2/2003 1:02:03 PM", true, u"1/2/2003 1:02:03 PM"},
        {u"2/30/2003", false, nullptr},
        {u"hello", false, nullptr},
        {u"25:00", false, nullptr},
        {u"", false, nullptr},
        {u"1/2/3/4", false, nullptr},
    };
    for (const Row& r : rows) {
        double serial = 0;
        EXPECT_EQ(parseDateText(r.text, serial), r.ok) << narrow(r.text);
        if (r.ok) {
            EXPECT_EQ(formatDate(serial), r.shown) << narrow(r.text);
        }
    }
    CivilTime early = splitDate(-1.25);  // 29 December 1899, 6 in the morning
    EXPECT_EQ(early.day, 29);
    EXPECT_EQ(early.hour, 6);
    EXPECT_EQ(daySerial(1900, 1, 1), 2);
    EXPECT_EQ(daySerial(2003, 13, 1), daySerial(2004, 1, 1));
}

TEST(Value, DateFormsAndTheYearOfTheClock)
{
    // Every form a date is read in, under a clock in a leap year and one in a common year.
    int (*leapYear)() = [] { return 2024; };
    int (*commonYear)() = [] { return 2023; };
    struct Row {
        const char16_t* text;
        const char16_t* in2024;  // nullptr: not a date
        const char16_t* in2023;
    };
    const Row rows[] = {
        // A month name and one number: that day of the current year.
        {u"March 5", u"3/5/2024", u"3/5/2023"},
        {u"5 mar", u"3/5/2024", u"3/5/2023"},
        {u"Feb 29", u"2/29/2024", nullptr},
        // A month name and two numbers: the year first when it cannot be a day, else last.
        {u"2003 March 5", u"3/5/2003", u"3/5/2003"},
        {u"March 5, 2003", u"3/5/2003", u"3/5/2003"},
        {u"5 March 29", u"3/5/2029", u"3/5/2029"},
        {u"5 March 30", u"3/5/1930", u"3/5/1930"},
        {u"March 40, 2003", nullptr, nullptr},
        // Two numbers: month/day of the current year, else month/year.
        {u"3/5", u"3/5/2024", u"3/5/2023"},
        {u"2/29", u"2/29/2024", u"2/1/2029"},
        {u"12/2005", u"12/1/2005", u"12/1/2005"},
        {u"13/2005", nullptr, nullptr},
        // Three numbers: y-m-d, m/d/y, and d/m/y when the first cannot be a month.
        {u"2003-01-02", u"1/2/2003", u"1/2/2003"},
        {u"45-1-2", u"1/2/1945", u"1/2/1945"},
        {u"1/2/2003", u"1/2/2003", u"1/2/2003"},
        {u"13/2/2003", u"2/13/2003", u"2/13/2003"},
        {u"13/14/2003", nullptr, nullptr},
        // One number is neither a date nor a time; a date stops where a time begins.
        {u"5", nullptr, nullptr},
        {u"3/5 1:02 PM", u"3/5/2024 1:02:00 PM", u"3/5/2023 1:02:00 PM"},
        {u"1:02 PM 3/5", u"3/5/2024 1:02:00 PM", u"3/5/2023 1:02:00 PM"},
    };
    for (const Row& r : rows) {
        for (bool leap : {true, false}) {
            const char16_t* expected = leap ? r.in2024 : r.in2023;
            double serial = 0;
            bool ok = parseDateText(r.text, serial, leap ? leapYear : commonYear);
            EXPECT_EQ(ok, expected != nullptr) << narrow(r.text) << (leap ? " in 2024" : " in 2023");
            if (ok && expected) {
                EXPECT_EQ(formatDate(serial), expected) << narrow(r.text);
            }
        }
    }
}

TEST(Text, Utf8RoundTripAndInvalidBytes)
{
    std::u16string text = u"a\u00e9\u20ac\U0001F600";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("\xff" "a" "\xc3"), u"\ufffda\ufffd");
    EXPECT_EQ(toUtf8(u"\xd800x"), "\xef\xbf\xbdx");
}

TEST(Text, CaseFolding)
{
    EXPECT_TRUE(equalsNoCase(u"Console", u"CONSOLE"));
    EXPECT_TRUE(equalsNoCase(u"\u00e9t\u00e9", u"\u00c9T\u00c9"));
    EXPECT_FALSE(equalsNoCase(u"abc", u"abd"));
    EXPECT_EQ(toUpper(u'\u0430'), u'\u0410');
    EXPECT_EQ(toLower(u'\u0178'), u'\u00ff');
    EXPECT_EQ(toUpper(u'\u00ff'), u'\u0178');
}

}  // namespace
