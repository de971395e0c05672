Function Kind(v)
    Select Case v
        Case 1, 2, 3
            Kind = "small"
        Case "a"
            Kind = "letter"
        Case 4 + 1
            Kind = "five"
        Case Else
            Kind = "other"
    End Select
End Function
MsgBox Kind(2) ' expect: small
MsgBox Kind("a") ' expect: letter
MsgBox Kind(5) ' expect: five
MsgBox Kind(9) ' expect: other
MsgBox Kind(Null) ' expect: other
Select Case "x"
End Select
Select Case True
    Case 1 > 2: MsgBox "no"
    Case 2 > 1: MsgBox "first true" ' expect: first true
    Case 3 > 1: MsgBox "not reached"
End Select
