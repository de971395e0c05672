MsgBox "never"
x = 1 2 ' expect syntax error 1025 at 7: Expected end of statement
