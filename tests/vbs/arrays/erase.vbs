Dim a(2), x
a(1) = 5
Erase a
MsgBox IsEmpty(a(1)) & " " & UBound(a) ' expect: True 2
Dim b()
ReDim b(3)
Erase b
MsgBox IsArray(b)                 ' expect: True
On Error Resume Next
x = UBound(b)
MsgBox Err.Number                 ' expect: 9
