Dim n
Dim a(n) ' expect syntax error 1026 at 7: Expected integer constant
