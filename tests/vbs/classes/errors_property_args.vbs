Class Broken
    Property Get Value(i)
    End Property
    Property Let Value(v)         ' expect syntax error 1051 at 18: Number of arguments must be consistent across a property's procedures
    End Property
End Class
