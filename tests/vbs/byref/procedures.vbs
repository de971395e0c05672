' Arguments pass ByRef unless the parameter says ByVal or the argument is in parentheses.
Sub AddOne(n)
    n = n + 1
End Sub
Sub AddOneByVal(ByVal n)
    n = n + 1
End Sub
Dim x : x = 1
AddOne x
MsgBox x                          ' expect: 2
AddOneByVal x
MsgBox x                          ' expect: 2
AddOne (x)
MsgBox x                          ' expect: 2
Call AddOne(x)
MsgBox x                          ' expect: 3
Call AddOne((x))
MsgBox x                          ' expect: 3
Dim a(1) : a(0) = 10
AddOne a(0)
MsgBox a(0)                       ' expect: 11
Function Twice(ByRef v)
    v = v * 2
    Twice = v
End Function
Dim y : y = 4
MsgBox Twice(y) & " " & y         ' expect: 8 8
AddOne 5
Sub Swap(p, q)
    Dim t : t = p : p = q : q = t
End Sub
Dim s1, s2 : s1 = "first" : s2 = "second"
Swap s1, s2
MsgBox s1 & " " & s2              ' expect: second first
