Dim x : x = 5
If x > 3 Then MsgBox "big" ' expect: big
If x > 10 Then MsgBox "huge" Else MsgBox "not huge" ' expect: not huge
If x = 5 Then MsgBox "a" : MsgBox "b" ' expect: a
' expect: b
If x < 0 Then
    MsgBox "negative"
ElseIf x < 5 Then
    MsgBox "small"
ElseIf x < 10 Then
    MsgBox "medium" ' expect: medium
Else
    MsgBox "large"
End If
If x Then MsgBox "nonzero is true" ' expect: nonzero is true
If "True" Then MsgBox "text true" ' expect: text true
If x > 1 Then If x > 2 Then MsgBox "nested" Else MsgBox "inner else" ' expect: nested
On Error Resume Next
If "abc" Then MsgBox "failed condition resumes in Then" ' expect: failed condition resumes in Then
MsgBox Err.Number ' expect: 13
