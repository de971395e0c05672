x = 1 + _
    2 3 ' expect syntax error 1025 at 7: Expected end of statement
