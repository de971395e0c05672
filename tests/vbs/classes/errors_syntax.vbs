Class Broken
    Public Default Property Let Value(v) ' expect syntax error 1058 at 5: 'Default' can only be on Property Get
    End Property
End Class
