' A generated check that fails.
Console.RunCommand "printf ""something else"""
Console.WaitString 5, 0, 0, "something"
If Not Console.CheckString(0, 0, "expected text") Then
  Err.Raise 1, "", "Not found string 'expected text'"
End If
MsgBox "not reached"
