Dim s
s = "a" & _
    "b" & _
    "c"
MsgBox s ' expect: abc
MsgBox 1 + _
    2 ' expect: 3
Rem a comment statement
MsgBox "x" : Rem a comment after a colon
' expect: x
MsgBox "rem" ' expect: rem
