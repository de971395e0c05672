If x = 1 ' expect syntax error 1017 at 10: Expected 'Then'
    y = 2
End If
