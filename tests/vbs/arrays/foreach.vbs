Dim v, total, s
For Each v In Array(1, 2, 3)
    total = total + v
Next
MsgBox total                      ' expect: 6
Dim m(1, 1)
m(0, 0) = "a" : m(1, 0) = "b" : m(0, 1) = "c" : m(1, 1) = "d"
For Each v In m
    s = s & v
Next
MsgBox s                          ' expect: abcd
For Each v In Array()
    MsgBox "never"
Next
For Each v In Array(1, 2, 3, 4)
    If v = 3 Then Exit For
    s = s & v
Next
MsgBox s & " " & v                ' expect: abcd12 3
On Error Resume Next
For Each v In 5
Next
MsgBox Err.Number                 ' expect: 451
