Dim a
a = Split("a,b,,c", ",")
MsgBox UBound(a)                  ' expect: 3
MsgBox a(2) = ""                  ' expect: True
MsgBox Join(a, "|")               ' expect: a|b||c
a = Split("a b c")
MsgBox Join(a)                    ' expect: a b c
a = Split("a,b,c", ",", 2)
MsgBox a(1)                       ' expect: b,c
a = Split("")
MsgBox UBound(a)                  ' expect: -1
a = Split("aXbxc", "x", -1, vbTextCompare)
MsgBox UBound(a)                  ' expect: 2
a = Split("abc", "")
MsgBox a(0)                       ' expect: abc
a = Filter(Array("apple", "banana", "cherry"), "an")
MsgBox Join(a, ",")               ' expect: banana
a = Filter(Array("apple", "banana", "cherry"), "an", False)
MsgBox Join(a, ",")               ' expect: apple,cherry
MsgBox Join(Array(1, "two", 3.5), "+") ' expect: 1+two+3.5
