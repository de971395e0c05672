Function Fib(n)
    If n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)
End Function
MsgBox Fib(20) ' expect: 6765
Function Depth(n)
    If n = 0 Then Depth = 0 Else Depth = 1 + Depth(n - 1)
End Function
MsgBox Depth(500) ' expect: 500
