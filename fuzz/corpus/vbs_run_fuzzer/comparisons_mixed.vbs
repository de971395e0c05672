' Comparing a number with a string: between variables the number is less than the string;
' against a literal the other side is converted to the literal's kind.
Dim n, s
n = 1
s = "1"
MsgBox (n = s)                    ' expect: False
MsgBox (n < s)                    ' expect: True
MsgBox (s = 1)                    ' expect: True
MsgBox (n = "1")                  ' expect: True
MsgBox (s > 0)                    ' expect: True
MsgBox (Empty = 0)                ' expect: True
MsgBox (Empty = "")               ' expect: True
MsgBox IsNull(Null = Null)        ' expect: True
MsgBox IsNull(1 < Null)           ' expect: True
MsgBox (True = -1)                ' expect: True
MsgBox (2 > 1.5)                  ' expect: True
MsgBox (#1/2/2003# > #1/1/2003#)  ' expect: True
