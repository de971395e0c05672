' A failed check raises its own error: the report carries the given description.
MsgBox "checking"                 ' expect: checking
If Not False Then
    Err.Raise 1, "Check", "Not found string" ' expect runtime error 1 at 5: Not found string
End If
