Dim i
i = 0
Do While i < 3
    i = i + 1
Loop
MsgBox i ' expect: 3
Do Until i = 0
    i = i - 1
Loop
MsgBox i ' expect: 0
Do
    i = i + 1
Loop While i < 5
MsgBox i ' expect: 5
Do
    i = i + 1
Loop Until True
MsgBox i ' expect: 6
Do
    i = i + 1
    If i > 8 Then Exit Do
Loop
MsgBox i ' expect: 9
While i > 0
    i = i - 2
Wend
MsgBox i ' expect: -1
Do While False
    MsgBox "never"
Loop
Do
    Do
        Exit Do
    Loop
    MsgBox "outer continues" ' expect: outer continues
    Exit Do
Loop
