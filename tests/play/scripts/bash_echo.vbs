' Typing into bash and checking the echo (bash is started by the player).
If Not Console.WaitString(5, 0, 0, "$") Then Err.Raise 1, "", "no prompt"
Console.PutKeys "echo hello"
Console.PutControl "<Enter>"
If Not Console.WaitString(5, 0, 1, "hello") Then
  Err.Raise 1, "", "Not found string 'hello'"
End If
If Not Console.CheckString(0, 0, "$ echo hello") Then
  Err.Raise 1, "", "Not found string '$ echo hello'"
End If
Console.PutKeys "exit"
Console.PutControl "<Enter>"
