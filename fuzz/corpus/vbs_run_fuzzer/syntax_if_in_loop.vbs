Do
    If x Then
        y = 1
Loop ' expect syntax error 1014 at 1: Expected 'End'
