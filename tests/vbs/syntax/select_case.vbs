Select x ' expect syntax error 1021 at 8: Expected 'Case'
End Select
