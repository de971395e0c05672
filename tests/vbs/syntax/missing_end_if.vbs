If True Then
    x = 1
' expect syntax error 1014 at 4:1: Expected 'End'
