' Run-time errors around objects.
Class Thing
    Public Value
End Class
On Error Resume Next
Dim t
t.Value = 1
MsgBox Err.Number & " " & Err.Description ' expect: 424 Object required
Err.Clear
Set t = Nothing
t.Value = 1
MsgBox Err.Number & " " & Err.Description ' expect: 91 Object variable not set
Err.Clear
Set t = New Missing
MsgBox Err.Number & " " & Err.Description ' expect: 506 Class not defined
Err.Clear
Set t = New Thing
x = t + 1
MsgBox Err.Number                          ' expect: 438
Err.Clear
MsgBox t Is Nothing                        ' expect: False
For Each e In t
Next
MsgBox Err.Number                          ' expect: 438
On Error GoTo 0
t.Nope                                     ' expect runtime error 438: Object doesn't support this property or method: 't.Nope'
