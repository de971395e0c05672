' The check fails on one screen; the program then writes a second row before the script gives up.
Console.RunCommand "sh -c 'printf first; read x; printf ""\rsecond""; read y'"
Console.WaitString 5, 0, 0, "first"
found = Console.CheckString(0, 0, "expected")
Console.PutControl "<Enter>"
Dim row
Do
  Console.ReadText 0, 1, 5, 1, row
Loop Until row = "second"
If Not found Then Err.Raise 1, "", "Not found string 'expected'"
