' Strings compare by character codes; StrComp and vbTextCompare ignore case.
MsgBox ("abc" < "abd")            ' expect: True
MsgBox ("a" < "B")                ' expect: False
MsgBox ("abc" = "ABC")            ' expect: False
MsgBox ("ab" < "abc")             ' expect: True
MsgBox ("" < "a")                 ' expect: True
MsgBox StrComp("a", "B")          ' expect: 1
MsgBox StrComp("a", "B", vbTextCompare)    ' expect: -1
MsgBox StrComp("abc", "ABC", 1)   ' expect: 0
MsgBox StrComp("x", "x")          ' expect: 0
MsgBox IsNull(StrComp(Null, "a")) ' expect: True
MsgBox ("10" < "9")               ' expect: True
MsgBox (10 < 9)                   ' expect: False
