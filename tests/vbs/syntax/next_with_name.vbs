For i = 1 To 2
Next i ' expect syntax error 1025 at 6: Expected end of statement
