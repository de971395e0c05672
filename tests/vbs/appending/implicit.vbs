' s = s & x appends in place for every kind of variable; the results are those of the
' ordinary read, concatenate and assign.
For i = 1 To 5
    s = s & i
Next
MsgBox s                          ' expect: 12345
t = s
s = s & "x"
MsgBox t & " " & s                ' expect: 12345 12345x
' Several pieces: all are read before the text grows.
u = "ab"
u = u & "-" & Len(u) & "-" & u
MsgBox u                          ' expect: ab-2-ab
' Null and Empty pieces add nothing; Null & Null stays Null.
v = Null
v = v & Null
MsgBox IsNull(v)                  ' expect: True
v = v & "a" & Null & Empty
MsgBox v                          ' expect: a
' Numbers become text.
w = 1
w = w & 2
MsgBox w & " " & TypeName(w)      ' expect: 12 String
' Array elements, declared or not.
Dim a(2)
ReDim b(1)
For i = 0 To 2
    a(1) = a(1) & i
    b(i Mod 2) = b(i Mod 2) & "<" & i & ">"
Next
MsgBox a(1) & " " & b(0) & " " & b(1) ' expect: 012 <0><2> <1>
c = Array("p", "q")
d = c
c(0) = c(0) & "!"
MsgBox c(0) & d(0)                ' expect: p!p
' A procedure's locals, parameters and its result.
Function Build(n, ByRef acc)
    For k = 1 To n
        Build = Build & k
        acc = acc & "."
        local = local & "L"
    Next
    Build = Build & local
End Function
acc = ">"
MsgBox Build(3, acc) & " " & acc  ' expect: 123LLL >...
' A procedure call among the pieces reads the old text first.
Function Grow()
    g = g & "[grown]"
    Grow = "+"
End Function
g = "g"
g = g & Grow()
MsgBox g                          ' expect: g+
' Line ends are pieces like any other.
Dim e
e = "abc"
e = e & 1 & vbCrLf
MsgBox Len(e)                     ' expect: 6
