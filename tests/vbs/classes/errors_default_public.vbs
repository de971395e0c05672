Class Broken
    Private Default Function Value() ' expect syntax error 1057 at 13: 'Default' specification must also specify 'Public'
    End Function
End Class
