' Every On Error statement clears Err, and so does leaving a procedure with Exit.
On Error Resume Next
x = 1 / 0
MsgBox Err.Number                 ' expect: 11
On Error GoTo 0
MsgBox Err.Number & "[" & Err.Description & "]" ' expect: 0[]
On Error Resume Next
Err.Raise 5
On Error Resume Next
MsgBox Err.Number                 ' expect: 0
Sub LeavesEarly()
    On Error Resume Next
    Err.Raise 9
    Exit Sub
End Sub
Function LeavesWithValue()
    On Error Resume Next
    Err.Raise 13
    LeavesWithValue = Err.Number
    Exit Function
End Function
LeavesEarly
MsgBox Err.Number                 ' expect: 0
MsgBox LeavesWithValue() & " " & Err.Number ' expect: 13 0
Err.Raise 6
On Error GoTo 0
MsgBox "cleared " & Err.Number    ' expect: cleared 0
