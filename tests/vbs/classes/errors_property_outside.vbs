Property Get Value()              ' expect syntax error 1048 at 1: Must be defined inside a Class
End Property
