Sub Outer()
    Class Inner                   ' expect syntax error 1024 at 5: Expected statement
    End Class
End Sub
