' Property procedures with arguments, Property Set, Exit Property, default members.
Class Grid
    Private cells(2, 2)
    Private m_item
    Private Sub Class_Initialize()
        Set m_item = Nothing
    End Sub
    Public Default Property Get Cell(r, c)
        Cell = cells(r, c)
    End Property
    Public Property Let Cell(r, c, value)
        If r < 0 Then Exit Property
        cells(r, c) = value
    End Property
    Public Property Set Item(obj)
        Set m_item = obj
    End Property
    Public Property Get Item()
        Set Item = m_item
    End Property
End Class

Class Named
    Public Name
    Public Default Function Text()
        Text = "<" & Name & ">"
    End Function
End Class

Dim g
Set g = New Grid
g.Cell(1, 2) = "b"
g.Cell(-1, 0) = "ignored"
MsgBox g.Cell(1, 2) & g(1, 2) & "|" & g.Cell(0, 0) & "|" ' expect: bb||
g(0, 0) = "a"
MsgBox g(0, 0)                     ' expect: a
Dim n
Set n = New Named
n.Name = "x"
Set g.Item = n
MsgBox g.Item.Name                 ' expect: x
' The default member stands for the object where a value is needed.
MsgBox n                           ' expect: <x>
MsgBox "is " & n                   ' expect: is <x>
Dim v
v = n
MsgBox TypeName(v) & " " & v       ' expect: String <x>
MsgBox n = "<x>"                   ' expect: True
On Error Resume Next
g.Item = 5
MsgBox Err.Number                  ' expect: 450
Err.Clear
Set g.Cell(0, 0) = n
MsgBox Err.Number                  ' expect: 450
Err.Clear
Set g.Item = 5
MsgBox Err.Number                  ' expect: 424
Err.Clear
Dim p
Set p = New Grid
MsgBox p.Item Is Nothing           ' expect: True
x = p.Cell(1)
MsgBox Err.Number                  ' expect: 450
