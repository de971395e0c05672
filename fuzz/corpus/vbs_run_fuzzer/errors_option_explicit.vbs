Option Explicit
Dim a
a = 1
MsgBox a                          ' expect: 1
b = 2                             ' expect runtime error 500 at 1: Variable is undefined: 'b'
