x = "abc ' expect syntax error 1033 at 5: Unterminated string constant
