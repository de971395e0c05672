Dim a(2), x
On Error Resume Next
a(3) = 1
MsgBox Err.Number & " " & Err.Description ' expect: 9 Subscript out of range
Err.Clear
ReDim a(5)
MsgBox Err.Number & " " & Err.Description ' expect: 10 This array is fixed or temporarily locked
Err.Clear
x = UBound(5)
MsgBox Err.Number                 ' expect: 13
Err.Clear
Dim e()
x = UBound(e)
MsgBox Err.Number                 ' expect: 9
Err.Clear
x = a(1, 1)
MsgBox Err.Number                 ' expect: 9
Err.Clear
ReDim f(2, 2)
ReDim Preserve f(3, 2)
MsgBox Err.Number                 ' expect: 9
Err.Clear
x = UBound(a, 2)
MsgBox Err.Number                 ' expect: 9
On Error GoTo 0
MsgBox a(-1)                      ' expect runtime error 9 at 1: Subscript out of range
