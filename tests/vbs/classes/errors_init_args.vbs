Class Broken
    Private Sub Class_Initialize(x) ' expect syntax error 1053 at 35: Class initialize or terminate do not have arguments
    End Sub
End Class
