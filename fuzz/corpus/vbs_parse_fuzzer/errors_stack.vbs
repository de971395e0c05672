' Unbounded recursion ends with "Out of stack space" instead of a crash.
Function Down(n)
    Down = Down(n + 1)
End Function
On Error Resume Next
Dim r
r = Down(1)
MsgBox Err.Number & " " & Err.Description ' expect: 28 Out of stack space
