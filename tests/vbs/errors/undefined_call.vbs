' Without Option Explicit an unknown name is an empty variable; calling it fails.
MsgBox IsEmpty(neverSet)          ' expect: True
Dim r
r = NoSuchFunction(1)             ' expect runtime error 13 at 1: Type mismatch: 'NoSuchFunction'
