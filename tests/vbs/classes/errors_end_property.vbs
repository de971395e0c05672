Class Broken
    Property Get Value()
    End Function                  ' expect syntax error 1050 at 9: Expected 'Property'
End Class
