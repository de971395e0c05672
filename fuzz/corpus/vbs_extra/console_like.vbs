Option Explicit
Dim text, i, list()
Test.Fill text, "ab/cd/"
If Not Test.Echo(True) Then Err.Raise 1, "Check", "Not found string"
ReDim list(3)
For i = 0 To UBound(list)
    list(i) = Mid(text, i + 1, 2) & Chr(65 + i)
Next
Select Case Join(list, ",")
Case "ab,b/,/c,cd": MsgBox "x"
Case Else: MsgBox InStr(text, "/")
End Select
On Error Resume Next
Test.Fail
With Test
    .Fill text, Err.Number
End With
Do While i > 0 : i = i - 1 : Loop
