MsgBox "before"                   ' expect: before
Dim a
  a = 1 / 0                       ' expect runtime error 11 at 3: Division by zero
MsgBox "after"
