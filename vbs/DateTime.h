#pragma once
// Dates as VBScript holds them: a Double counting days from 30 December 1899, the fraction
// being the time of day (for dates before that day the fraction still counts forward from
// midnight). Texts follow the US English short formats: 1/2/2003 1:02:03 PM.

#include <cstdint>
#include <string>
#include <string_view>

namespace qp::vbs {

struct CivilTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    int weekday = 7;  // 1 = Sunday
};

constexpr double kMinDate = -657434.0;   // 1 January 100
constexpr double kMaxDate = 2958465.99999; // 31 December 9999, 23:59:59

// Days from the epoch for a date; month and day may lie outside their ranges (month 13 is
// January of the next year, day 0 the last day of the previous month).
double daySerial(int year, int month, int day) noexcept;
double timeSerial(int hour, int minute, int second) noexcept;
// Combines a day number and a time of day the way dates store them.
double combineDateTime(double days, double time) noexcept;
CivilTime splitDate(double serial) noexcept;
bool validDate(double serial) noexcept;

// The current year on the local clock.
int localYear();

// Parses a date, a time or both ("1/2/2003", "2003-01-02", "January 2, 2003", "13:45",
// "1:45 PM", "1/2/2003 1:45:00 PM"). Two-digit years 0-29 are 2000-2029, 30-99 are 19xx.
// A date without a year ("1/2", "Jan 2") falls in the year currentYear gives.
bool parseDateText(std::u16string_view text, double& serial, int (*currentYear)() = localYear);

std::u16string formatDate(double serial);       // the date, the time, or both
std::u16string formatDateOnly(double serial);   // 1/2/2003
std::u16string formatTimeOnly(double serial);   // 1:02:03 PM

// The current local date and time as a serial.
double nowSerial();

}  // namespace qp::vbs
