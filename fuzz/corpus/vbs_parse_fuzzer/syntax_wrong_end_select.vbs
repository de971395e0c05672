Select Case 1
Case 1
End If ' expect syntax error 1022 at 5: Expected 'Select'
