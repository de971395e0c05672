Sub Two(a, b)
End Sub
Two(1, 2) ' expect syntax error 1044 at 9: Cannot use parentheses when calling a Sub
