Dim 5 ' expect syntax error 1010 at 5: Expected identifier
