' A ByRef parameter passed on keeps referring to the first caller's variable.
Sub Inner(v)
    v = v & "-inner"
End Sub
Sub Outer(v)
    v = v & "-outer"
    Inner v
End Sub
Dim s : s = "start"
Outer s
MsgBox s                          ' expect: start-outer-inner
Function Counter(ByVal n)
    n = n + 1
    Counter = n
End Function
Dim k : k = 1
MsgBox Counter(k) & k             ' expect: 21
