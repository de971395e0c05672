Class Broken
    Property Let Value            ' expect syntax error 1054 at 18: Property Set or Let must have at least one argument
    End Property
End Class
