' Recorded in bc: each check follows Enter at once, as the recorder writes it.
Console.PutKeys "6*7"
Console.PutControl "<Enter>"
If Not Console.CheckString(0, 1, "42") Then
  Err.Raise 1, "", "Not found string '42'"
End If
Console.PutKeys "2^20"
Console.PutControl "<Enter>"
If Not Console.CheckRect(0, 2, 6, 3, "2^20/1048576/") Then
  Err.Raise 1, "", "Not found string '2^20/1048576/'"
End If
Console.PutKeys "quit"
Console.PutControl "<Enter>"
