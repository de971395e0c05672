Dim g : g = "global"
Sub ShowLocal()
    Dim g : g = "local"
    MsgBox g
End Sub
ShowLocal ' expect: local
MsgBox g ' expect: global
Sub Change()
    g = "changed"
End Sub
Change
MsgBox g ' expect: changed
Sub Implicit()
    notDeclared = 5
End Sub
Implicit
MsgBox IsEmpty(notDeclared2) ' expect: True
Const Pi = 3.14
MsgBox Pi ' expect: 3.14
Sub UsesConst()
    Const Local = "c"
    MsgBox Local & Pi ' expect: c3.14
End Sub
UsesConst
On Error Resume Next
Pi = 3
MsgBox Err.Number ' expect: 501
