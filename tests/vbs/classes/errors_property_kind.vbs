Class Broken
    Property Put Value(v)         ' expect syntax error 1049 at 14: Expected Let or Set or Get in property declaration
    End Property
End Class
