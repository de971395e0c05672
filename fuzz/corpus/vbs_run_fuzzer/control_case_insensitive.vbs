DIM Value
value = 3
MSGBOX VALUE ' expect: 3
If value = 3 THEN msgbox "keywords" ' expect: keywords
Function DOUBLEIT(x)
    doubleit = x * 2
End Function
MsgBox DoubleIt(4) ' expect: 8
MsgBox vbcrlf = VBCRLF ' expect: True
