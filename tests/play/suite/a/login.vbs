' Passes, and shows a line.
Console.RunCommand "printf 'login: '"
If Not Console.WaitString(5, 0, 0, "login:") Then Err.Raise 1, "", "no login prompt"
MsgBox "a login"
