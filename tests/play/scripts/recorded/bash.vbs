' Recorded in bash: each check follows Enter at once, as the recorder writes it.
Console.PutKeys "echo $((6*7))"
Console.PutControl "<Enter>"
If Not Console.CheckRect(0, 0, 14, 1, "$ echo $((6*7))/42/") Then
  Err.Raise 1, "", "Not found string '$ echo $((6*7))/42/'"
End If
Console.PutKeys "seq 3"
Console.PutControl "<Enter>"
If Not Console.CheckRect(0, 2, 6, 5, "$ seq 3/1/2/3/") Then
  Err.Raise 1, "", "Not found string '$ seq 3/1/2/3/'"
End If
Console.PutKeys "exit"
Console.PutControl "<Enter>"
