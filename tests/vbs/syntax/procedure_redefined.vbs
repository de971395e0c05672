Sub A()
End Sub
Function A() ' expect syntax error 1041 at 10: Name redefined
End Function
