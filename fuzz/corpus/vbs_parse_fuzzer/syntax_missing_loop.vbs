Do
    x = 1
' expect syntax error 1019 at 4:1: Expected 'Loop'
