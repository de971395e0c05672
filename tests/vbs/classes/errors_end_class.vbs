Class Broken
    Dim x
End Sub                           ' expect syntax error 1047 at 5: Expected 'Class'
