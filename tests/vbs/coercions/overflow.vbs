' Conversions round half to even and refuse values out of range.
MsgBox CInt("12")                 ' expect: 12
MsgBox CInt(2.5)                  ' expect: 2
MsgBox CInt(3.5)                  ' expect: 4
MsgBox CLng(-2.5)                 ' expect: -2
MsgBox CLng(1.5)                  ' expect: 2
On Error Resume Next
Dim x
x = CInt(32768)
MsgBox Err.Number & " " & Err.Description  ' expect: 6 Overflow
Err.Clear
x = CLng("abc")
MsgBox Err.Number & " " & Err.Description  ' expect: 13 Type mismatch
Err.Clear
x = 1 + "abc"
MsgBox Err.Number                 ' expect: 13
On Error GoTo 0
x = CInt(40000)                   ' expect runtime error 6 at 1: Overflow: 'CInt'
