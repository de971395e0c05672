For i = 1 To 3
    x = i
' expect syntax error 1020 at 4:1: Expected 'Next'
