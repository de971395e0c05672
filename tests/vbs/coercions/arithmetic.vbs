' Arithmetic on mixed subtypes: numeric strings take part as Doubles, "&" always joins.
MsgBox "1" + 1                    ' expect: 2
MsgBox TypeName("1" + 1)          ' expect: Double
MsgBox "1" & 1                    ' expect: 11
MsgBox "a" + "b"                  ' expect: ab
MsgBox 1 & 2                      ' expect: 12
MsgBox TypeName(Empty + 1)        ' expect: Integer
MsgBox True + True                ' expect: -2
MsgBox TypeName(True + True)      ' expect: Integer
MsgBox 10 / 4                     ' expect: 2.5
MsgBox TypeName(10 / 2)           ' expect: Double
MsgBox 10 \ 4                     ' expect: 2
MsgBox -7 \ 2                     ' expect: -3
MsgBox -7 Mod 3                   ' expect: -1
MsgBox 7.5 \ 2                    ' expect: 4
MsgBox 6.5 Mod 4                  ' expect: 2
MsgBox 2 ^ 10                     ' expect: 1024
MsgBox TypeName(2 ^ 2)            ' expect: Double
MsgBox -2 ^ 2                     ' expect: -4
MsgBox 2 * 3 + 4 * 5              ' expect: 26
MsgBox 1 + 2 & 3 + 4              ' expect: 37
MsgBox "a" &1                     ' expect: a1
