Class Broken
    Private Default Function Value() ' expect syntax error 1057 at 13: 'Default' must also be 'Public'
    End Function
End Class
