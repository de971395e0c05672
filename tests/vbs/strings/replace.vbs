' Replace: the result starts at `start`; count limits the replacements.
MsgBox Replace("aXbXc", "X", "-")                   ' expect: a-b-c
MsgBox Replace("aXbXc", "x", "-")                   ' expect: aXbXc
MsgBox Replace("aXbXc", "x", "-", 1, -1, vbTextCompare) ' expect: a-b-c
MsgBox Replace("aXbXc", "X", "-", 3)                ' expect: b-c
MsgBox Replace("aXbXcX", "X", "-", 1, 2)            ' expect: a-b-cX
MsgBox Replace("abc", "", "-")                      ' expect: abc
MsgBox Replace("abc", "b", "")                      ' expect: ac
MsgBox Replace("aaa", "a", "aa")                    ' expect: aaaaaa
