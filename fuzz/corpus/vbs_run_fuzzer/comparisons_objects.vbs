' Is compares object references; Nothing is Nothing.
Dim a, b
Set a = Test
Set b = Test
MsgBox a Is b                     ' expect: True
MsgBox a Is Nothing               ' expect: False
Set a = Nothing
MsgBox a Is Nothing               ' expect: True
MsgBox IsObject(a)                ' expect: True
Dim n : n = 5
On Error Resume Next
MsgBox n Is Nothing
MsgBox Err.Number                 ' expect: 424
