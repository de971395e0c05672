' Same file name as a/login.vbs in another folder; its check fails.
Console.RunCommand "printf 'Password: '"
Console.WaitString 5, 0, 0, "Password:"
MsgBox "b login"
If Not Console.CheckString(0, 0, "Welcome") Then Err.Raise 1, "", "Not found string 'Welcome'"
