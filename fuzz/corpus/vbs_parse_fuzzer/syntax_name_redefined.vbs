Dim a, b, a ' expect syntax error 1041 at 11: Name redefined
