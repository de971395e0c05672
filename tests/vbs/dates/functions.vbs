Dim d : d = DateSerial(2003, 1, 31)
MsgBox d ' expect: 1/31/2003
MsgBox DateAdd("m", 1, d) ' expect: 2/28/2003
MsgBox DateAdd("d", 1, d) ' expect: 2/1/2003
MsgBox DateAdd("yyyy", -1, d) ' expect: 1/31/2002
MsgBox DateAdd("h", 25, d) ' expect: 2/1/2003 1:00:00 AM
MsgBox DateDiff("d", #1/1/2003#, #3/1/2003#) ' expect: 59
MsgBox DateDiff("m", #1/31/2003#, #2/1/2003#) ' expect: 1
MsgBox DateDiff("yyyy", #12/31/2002#, #1/1/2003#) ' expect: 1
MsgBox DateDiff("h", #1/1/2003 10:59:00 PM#, #1/1/2003 11:00:00 PM#) ' expect: 1
MsgBox DateDiff("s", #1/1/2003#, #1/1/2003 0:01:00#) ' expect: 60
MsgBox Year(d) & " " & Month(d) & " " & Day(d) ' expect: 2003 1 31
MsgBox Hour(#1:02:03 PM#) & Minute(#1:02:03 PM#) & Second(#1:02:03 PM#) ' expect: 1323
MsgBox #1/2/2003 13:45:00# ' expect: 1/2/2003 1:45:00 PM
MsgBox CDate(0) ' expect: 12:00:00 AM
MsgBox TypeName(Now) & " " & IsDate("1/2/2003") & " " & IsDate("hello") ' expect: Date True False
MsgBox Weekday(#1/5/2003#) ' expect: 1
MsgBox CDbl(#1/1/1900#) ' expect: 2
MsgBox d + 1 ' expect: 2/1/2003
MsgBox TypeName(d - #1/1/2003#) & " " & (d - #1/1/2003#) ' expect: Double 30
MsgBox TypeName(Date) & " " & TypeName(Time) & " " & TypeName(Timer) ' expect: Date Date Single
MsgBox (Timer >= 0 And Timer < 86400) ' expect: True
MsgBox DateSerial(2003, 13, 1) ' expect: 1/1/2004
MsgBox MonthName(2) & " " & WeekdayName(1) ' expect: February Sunday
MsgBox IsNull(Year(Null)) ' expect: True
On Error Resume Next
MsgBox DateAdd("x", 1, d)
MsgBox Err.Number ' expect: 5
