' Class_Initialize at New; Class_Terminate when the last reference goes: Set to Nothing,
' another object assigned, a procedure's local going away, and the end of the script.
Class Tracked
    Public Name
    Private Sub Class_Initialize()
        MsgBox "init"
    End Sub
    Private Sub Class_Terminate()
        MsgBox "bye " & Name
    End Sub
End Class

Dim a, b
Set a = New Tracked                ' expect: init
a.Name = "a"
Set b = a
Set a = Nothing
MsgBox "still held"                ' expect: still held
Set b = Nothing                    ' expect: bye a
Sub Scope()
    Dim t
    Set t = New Tracked            ' expect: init
    t.Name = "local"
    MsgBox "in scope"              ' expect: in scope
End Sub
Scope                              ' expect: bye local
Set a = New Tracked                ' expect: init
a.Name = "first"
Set a = New Tracked                ' expect: init
' expect: bye first
a.Name = "second"
Set b = New Tracked                ' expect: init
b.Name = "third"
MsgBox "end"                       ' expect: end
' At the end of the script the globals go in the order they were declared.
' expect: bye second
' expect: bye third
