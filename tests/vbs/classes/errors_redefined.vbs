Class Twice
    Public Value
    Public Function Value()       ' expect syntax error 1041 at 21: Name redefined
    End Function
End Class
