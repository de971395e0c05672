MsgBox 0.1 + 0.2 ' expect: 0.3
MsgBox 1 / 3 ' expect: 0.333333333333333
MsgBox 2 / 3 ' expect: 0.666666666666667
MsgBox 1E+15 ' expect: 1E+15
MsgBox 123456789012345 ' expect: 123456789012345
MsgBox 1.5E-7 ' expect: 1.5E-07
MsgBox 3.0 ' expect: 3
MsgBox -0.5 ' expect: -0.5
MsgBox 1E+20 ' expect: 1E+20
MsgBox 100 * 1.1 ' expect: 110
MsgBox CSng(1) / 3 ' expect: 0.3333333
MsgBox &HFF & " " & &H10 ' expect: 255 16
MsgBox TypeName(&HFFFF) & " " & &HFFFF ' expect: Integer -1
MsgBox &O17 ' expect: 15
MsgBox TypeName(&H10000) ' expect: Long
MsgBox .5 ' expect: 0.5
