Function F()
    Exit Sub ' expect syntax error 1039 at 5: Invalid 'exit' statement
End Function
