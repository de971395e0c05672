If x Then
    y = 1
End Sub ' expect syntax error 1012 at 5: Expected 'If'
