' Logical operators: Booleans give Booleans, numbers are combined bit by bit.
MsgBox True And False             ' expect: False
MsgBox True Or False              ' expect: True
MsgBox True Xor True              ' expect: False
MsgBox True Eqv False             ' expect: False
MsgBox False Imp False            ' expect: True
MsgBox Not True                   ' expect: False
MsgBox 12 And 10                  ' expect: 8
MsgBox 12 Or 3                    ' expect: 15
MsgBox 5 Xor 3                    ' expect: 6
MsgBox Not 0                      ' expect: -1
MsgBox TypeName(Not 0)            ' expect: Integer
MsgBox True And 5                 ' expect: 5
MsgBox Not 1 = 2                  ' expect: True
MsgBox CInt(True)                 ' expect: -1
MsgBox 1 < 2 And 2 < 3            ' expect: True
