' A syntax error in the text is a run-time error with its number; errors in the text reach
' the script's handlers.
On Error Resume Next
Execute "x = "
MsgBox Err.Number & " " & Err.Description ' expect: 1023 Expected expression
Err.Clear
Eval "1 +"
MsgBox Err.Number                     ' expect: 1023
Err.Clear
MsgBox Eval("1 2")
MsgBox Err.Number                     ' expect: 1025
Err.Clear
Execute "y = 1 / 0"
MsgBox Err.Number                     ' expect: 11
Err.Clear
ExecuteGlobal "Dim twice" & vbCrLf & "Dim twice"
MsgBox Err.Number                     ' expect: 1041
Err.Clear
Dim declared
ExecuteGlobal "Dim declared"
MsgBox Err.Number & " " & Err.Description ' expect: 1041 Name redefined
Err.Clear
v = Eval("Nothing")
MsgBox Err.Number                     ' expect: 91
On Error GoTo 0
Execute "Err.Raise 5"                 ' expect runtime error 5 at 1: Invalid procedure call or argument
