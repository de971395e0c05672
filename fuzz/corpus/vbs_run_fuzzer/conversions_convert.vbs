MsgBox CStr(True) & CStr(False) ' expect: TrueFalse
MsgBox CBool("true") & " " & CBool(0) & " " & CBool("1") ' expect: True False True
MsgBox CDbl("1.5e3") ' expect: 1500
MsgBox CLng("&H10") ' expect: 16
MsgBox CLng(" 12 ") ' expect: 12
MsgBox IsNumeric("12") & IsNumeric("abc") & IsNumeric("") & IsNumeric(Empty) ' expect: TrueFalseFalseTrue
MsgBox IsNumeric(" 1.5 ") & IsNumeric("1e3") & IsNumeric("-7") & IsNumeric(Null) ' expect: TrueTrueTrueFalse
MsgBox TypeName(CSng(1.5)) & " " & TypeName(CByte(7)) & " " & TypeName(CDate(1)) ' expect: Single Byte Date
MsgBox VarType(Empty) & VarType(Null) & VarType(1) & VarType("s") ' expect: 0128
MsgBox VarType(1.5) & " " & VarType(True) & " " & VarType(Test) ' expect: 5 11 9
MsgBox TypeName(Nothing) & " " & TypeName(Null) & " " & TypeName(Empty) ' expect: Nothing Null Empty
MsgBox CDate("2003-01-02") ' expect: 1/2/2003
MsgBox CStr(CDate("January 2, 2003")) ' expect: 1/2/2003
MsgBox CBool(-1) ' expect: True
MsgBox CInt("-32768") ' expect: -32768
Dim x
On Error Resume Next
x = CInt("abc")
MsgBox Err.Number ' expect: 13
Err.Clear
x = CByte(256)
MsgBox Err.Number ' expect: 6
Err.Clear
x = CStr(Null)
MsgBox Err.Number ' expect: 94
Err.Clear
x = CBool("maybe")
MsgBox Err.Number ' expect: 13
Err.Clear
x = CDate("not a date")
MsgBox Err.Number ' expect: 13
