' An error in a procedure without its own handler ends the procedure; the caller's
' On Error Resume Next continues after the call.
Sub Fails()
    Dim y
    y = 1 / 0
    MsgBox "not reached"
End Sub
On Error Resume Next
Fails
MsgBox "after " & Err.Number      ' expect: after 11
Sub Handles()
    On Error Resume Next
    Dim y
    y = CLng("x")
    MsgBox "handled " & Err.Number ' expect: handled 13
    Exit Sub
End Sub
Err.Clear
Handles
MsgBox Err.Number                 ' expect: 0
