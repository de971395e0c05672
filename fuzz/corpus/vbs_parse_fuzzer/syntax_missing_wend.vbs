While x < 3
    x = x + 1
' expect syntax error 1018 at 4:1: Expected 'Wend'
