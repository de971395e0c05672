' FormatDateTime, DatePart, DateValue, TimeValue, with the date functions around them.
d = DateSerial(2024, 2, 9) + TimeSerial(14, 5, 7)
MsgBox FormatDateTime(d)                    ' expect: 2/9/2024 2:05:07 PM
MsgBox FormatDateTime(d, vbLongDate)        ' expect: Friday, February 9, 2024
MsgBox FormatDateTime(d, vbShortDate)       ' expect: 2/9/2024
MsgBox FormatDateTime(d, vbLongTime)        ' expect: 2:05:07 PM
MsgBox FormatDateTime(d, vbShortTime)       ' expect: 14:05
MsgBox DatePart("yyyy", d) & " " & DatePart("q", d) & " " & DatePart("m", d) & " " & DatePart("d", d) ' expect: 2024 1 2 9
MsgBox DatePart("y", d) & " " & DatePart("w", d) & " " & DatePart("h", d) & " " & DatePart("n", d) & " " & DatePart("s", d) ' expect: 40 6 14 5 7
MsgBox DatePart("w", d, vbMonday)           ' expect: 5
MsgBox DatePart("ww", d) & " " & DatePart("ww", DateSerial(2024, 1, 1)) ' expect: 6 1
' 1 January 2021 is a Friday: with four days needed it belongs to the last week of 2020.
MsgBox DatePart("ww", DateSerial(2021, 1, 1), vbSunday, vbFirstFourDays) & " " & DatePart("ww", DateSerial(2021, 1, 3), vbSunday, vbFirstFourDays) ' expect: 53 1
MsgBox DatePart("ww", DateSerial(2021, 1, 2), vbSunday, vbFirstFullWeek) ' expect: 52
MsgBox DateValue("3/4/2020 10:30:00 AM") & " | " & TimeValue("3/4/2020 10:30:00 AM") ' expect: 3/4/2020 | 10:30:00 AM
MsgBox TypeName(DateValue("2020-03-04"))    ' expect: Date
MsgBox IsNull(DateValue(Null)) & " " & IsNull(DatePart("d", Null)) ' expect: True True
MsgBox Weekday(d) & " " & WeekdayName(Weekday(d)) & " " & MonthName(Month(d), True) ' expect: 6 Friday Feb
On Error Resume Next
x = DatePart("zz", d)
MsgBox Err.Number                           ' expect: 5
Err.Clear
x = DateValue("no date")
MsgBox Err.Number                           ' expect: 13
Err.Clear
x = FormatDateTime(d, 7)
MsgBox Err.Number                           ' expect: 5
