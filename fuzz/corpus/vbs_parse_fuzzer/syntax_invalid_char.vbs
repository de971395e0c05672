x = 1 $ 2 ' expect syntax error 1032 at 7: Invalid character
