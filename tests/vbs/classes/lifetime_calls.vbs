' An object stays alive for the whole of a call on it, whatever the call does to the
' variable it was reached through: a procedure's variable passed by reference, a global,
' a parameter.
Class Holder
    Public Name
    Public Function Drop(ByRef v)
        Set v = Nothing
        Drop = Name & " still here"
    End Function
    Public Function DropGlobal()
        Set g = Nothing
        DropGlobal = Name & " still here"
    End Function
    Private Sub Class_Terminate()
        MsgBox "bye " & Name
    End Sub
End Class

Sub Local()
    Dim h
    Set h = New Holder
    h.Name = "local"
    MsgBox h.Drop(h)               ' expect: bye local
    ' expect: local still here
    MsgBox TypeName(h)             ' expect: Nothing
End Sub
Local

Set g = New Holder
g.Name = "global"
MsgBox g.DropGlobal                ' expect: bye global
' expect: global still here

Sub Param(p)
    MsgBox p.Drop(p)               ' expect: bye param
    ' expect: param still here
End Sub
Set x = New Holder
x.Name = "param"
Param x
MsgBox TypeName(x)                 ' expect: Nothing
