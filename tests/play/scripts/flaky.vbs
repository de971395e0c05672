' Fails on its first try and passes on the next: the first try leaves a mark in the file
' that QP_FLAKY_MARK names.
Console.RunCommand "sh -c 'if [ -e ""$QP_FLAKY_MARK"" ]; then printf second!; else : > ""$QP_FLAKY_MARK""; printf first!!; fi'"
Console.WaitString 5, 6, 0, "!"
MsgBox "flaky try"
If Not Console.CheckString(0, 0, "second!") Then Err.Raise 1, "", "Not found string 'second!'"
