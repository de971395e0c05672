x = 1 + ' expect syntax error 1023 at 9: Expected expression
