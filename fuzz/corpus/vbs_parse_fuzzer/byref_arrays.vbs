' An array passed ByRef can be resized by the callee; ByVal gets a copy.
Sub Grow(arr)
    ReDim Preserve arr(5)
    arr(5) = "new"
End Sub
Sub Touch(ByVal arr)
    arr(0) = "changed"
End Sub
Dim d()
ReDim d(1)
d(0) = "old"
Grow d
MsgBox UBound(d) & d(5)           ' expect: 5new
Touch d
MsgBox d(0)                       ' expect: old
Sub Resize(el)
    ReDim d(0)
End Sub
On Error Resume Next
Resize d(1)
MsgBox Err.Number                 ' expect: 10
MsgBox UBound(d)                  ' expect: 5
