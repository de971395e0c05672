Function Add(a, b)
    Add = a + b
End Function
MsgBox Add(1, 2) ' expect: 3
Function Nothing2()
End Function
MsgBox IsEmpty(Nothing2()) ' expect: True
MsgBox IsEmpty(Nothing2) ' expect: True
Function Fact(n)
    If n <= 1 Then
        Fact = 1
        Exit Function
    End If
    Fact = n * Fact(n - 1)
End Function
MsgBox Fact(10) ' expect: 3628800
Function Early(x)
    Early = "start"
    If x Then Exit Function
    Early = "end"
End Function
MsgBox Early(True) & " " & Early(False) ' expect: start end
Sub Shout(t)
    MsgBox UCase(t)
End Sub
Shout "hi" ' expect: HI
Call Shout("call") ' expect: CALL
Shout("paren") ' expect: PAREN
MsgBox Later() ' expect: defined below
Function Later()
    Later = "defined below"
End Function
On Error Resume Next
Dim r
r = Add(1)
MsgBox Err.Number ' expect: 450
