For i = 1 10 ' expect syntax error 1013 at 11: Expected 'To'
Next
