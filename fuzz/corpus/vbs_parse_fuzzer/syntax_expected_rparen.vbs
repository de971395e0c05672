x = (1 + 2 ' expect syntax error 1006 at 12: Expected ')'
