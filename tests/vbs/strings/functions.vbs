' The string functions, positions 1-based.
MsgBox Len("hello")               ' expect: 5
MsgBox Left("hello", 2)           ' expect: he
MsgBox Right("hello", 3)          ' expect: llo
MsgBox Mid("hello", 2)            ' expect: ello
MsgBox Mid("hello", 2, 2)         ' expect: el
MsgBox Mid("hello", 10) = ""      ' expect: True
MsgBox Left("hi", 10)             ' expect: hi
MsgBox InStr("hello", "l")        ' expect: 3
MsgBox InStr(4, "hello", "l")     ' expect: 4
MsgBox InStr("hello", "z")        ' expect: 0
MsgBox InStr("hello", "")         ' expect: 1
MsgBox InStr(1, "HELLO", "l", vbTextCompare) ' expect: 3
MsgBox InStrRev("hello", "l")     ' expect: 4
MsgBox InStrRev("hello", "l", 3)  ' expect: 3
MsgBox UCase("abc") & LCase("DEF") ' expect: ABCdef
MsgBox "[" & Trim("  a b  ") & "]" ' expect: [a b]
MsgBox "[" & LTrim("  a ") & "]"  ' expect: [a ]
MsgBox "[" & RTrim("  a ") & "]"  ' expect: [  a]
MsgBox Space(3) & "|"             ' expect:    |
MsgBox String(3, "ab")            ' expect: aaa
MsgBox String(2, 65)              ' expect: AA
MsgBox StrReverse("abc")          ' expect: cba
MsgBox Chr(65) & ChrW(66)         ' expect: AB
MsgBox Asc("A") & " " & AscW("a") ' expect: 65 97
MsgBox Len(123)                   ' expect: 3
MsgBox IsNull(Left(Null, 1))      ' expect: True
MsgBox IsNull(Len(Null))          ' expect: True
MsgBox "a""b"                     ' expect: a"b
MsgBox Len(vbCrLf) & Len(vbTab)   ' expect: 21
MsgBox Asc(vbLf)                  ' expect: 10
