Class Broken
    Public Default Function A()
    End Function
    Public Default Function B()   ' expect syntax error 1052 at 5: Cannot have multiple default property/method in a Class
    End Function
End Class
