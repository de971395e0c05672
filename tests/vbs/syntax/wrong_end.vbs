Sub Foo()
    x = 1
End Function ' expect syntax error 1016 at 5: Expected 'Sub'
