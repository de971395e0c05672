Option Explicit
' Uses the Subs and Functions of include/helpers.vbs.
Console.RunCommand "printf 'ready'"
Console.WaitString 5, 0, 0, "ready"
MsgBox Twice("ab") & " " & helperGreeting
ExpectAt 0, 0, "ready"
ExpectAt 0, 0, "missing"
MsgBox "not reached"
