MsgBox "first"
MsgBox "second"
MsgBox "third" "x" ' expect syntax error 1025 at 16: Expected end of statement
