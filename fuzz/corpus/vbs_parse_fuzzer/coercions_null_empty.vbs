' Null propagates through arithmetic, is dropped by "&", and counts as false in conditions.
MsgBox IsNull(Null + 1)           ' expect: True
MsgBox IsNull(1 - Null)           ' expect: True
MsgBox "x" & Null                 ' expect: x
MsgBox IsNull(Null & Null)        ' expect: True
MsgBox IsNull(Not Null)           ' expect: True
MsgBox Empty + 5                  ' expect: 5
MsgBox "[" & Empty & "]"          ' expect: []
MsgBox Len(Empty)                 ' expect: 0
MsgBox (Null And False)           ' expect: False
MsgBox IsNull(Null And True)      ' expect: True
MsgBox (Null Or True)             ' expect: True
MsgBox IsNull(Null Or False)      ' expect: True
If Null Then
    MsgBox "null is true"
Else
    MsgBox "null is false"        ' expect: null is false
End If
Dim x
MsgBox IsEmpty(x)                 ' expect: True
x = Null + 1 : MsgBox IsNull(x)  ' expect: True
