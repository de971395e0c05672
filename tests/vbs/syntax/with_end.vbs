With Test
End Sub ' expect syntax error 1029 at 5: Expected 'With'
