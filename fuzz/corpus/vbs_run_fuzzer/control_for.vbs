Dim i, s
For i = 1 To 3
    s = s & i
Next
MsgBox s & " " & i ' expect: 123 4
s = ""
For i = 10 To 1 Step -3
    s = s & i & ","
Next
MsgBox s ' expect: 10,7,4,1,
s = ""
For i = 0 To 1 Step 0.5
    s = s & i & ";"
Next
MsgBox s ' expect: 0;0.5;1;
For i = 5 To 1
    MsgBox "never"
Next
MsgBox i ' expect: 5
For i = 1 To 10
    If i = 4 Then Exit For
Next
MsgBox i ' expect: 4
Dim n : n = 3
For i = 1 To n
    n = 10
Next
MsgBox i ' expect: 4
For i = 1 To 6
    i = i + 1
Next
MsgBox i ' expect: 7
For i = 32766 To 32767
Next
MsgBox TypeName(i) & " " & i ' expect: Long 32768
For i = "1" To "3"
Next
MsgBox i ' expect: 4
