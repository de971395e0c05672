Dim a(2), b()
a(0) = 1 : a(1) = "two"
MsgBox UBound(a) & " " & LBound(a) ' expect: 2 0
MsgBox IsArray(a) & " " & IsArray(b) ' expect: True True
MsgBox a(0) & a(1) & IsEmpty(a(2)) ' expect: 1twoTrue
Dim m(2, 3)
MsgBox UBound(m, 1) & " " & UBound(m, 2) ' expect: 2 3
m(2, 3) = "corner"
MsgBox m(2, 3)                    ' expect: corner
ReDim b(4)
MsgBox UBound(b)                  ' expect: 4
b(4) = "x"
ReDim Preserve b(6)
MsgBox b(4) & UBound(b)           ' expect: x6
ReDim b(1)
MsgBox IsEmpty(b(0))              ' expect: True
Dim c : c = Array(1, 2, 3)
MsgBox TypeName(c) & " " & VarType(c) ' expect: Variant() 8204
Dim d : d = c
d(0) = 99
MsgBox c(0) & " " & d(0)          ' expect: 1 99
ReDim e(1, 2)
e(1, 2) = "deep"
ReDim Preserve e(1, 4)
MsgBox e(1, 2) & UBound(e, 2)     ' expect: deep4
Dim nested : nested = Array(Array(1, 2), Array(3, 4))
MsgBox nested(1)(0)               ' expect: 3
MsgBox UBound(Array())            ' expect: -1
Dim fixed(2), copy
fixed(0) = "f"
copy = fixed
ReDim Preserve copy(4)
MsgBox UBound(copy) & copy(0)     ' expect: 4f
