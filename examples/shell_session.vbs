' Typing into a shell and checking what it prints.
' Run it with:  build/bin/pallant-play examples/shell_session.vbs -- bash --norc --noprofile

' A short prompt, so the checks below know where the text starts.
Console.PutKeys "PS1='$ '; clear"
Console.PutControl "<Enter>"
Console.WaitString 5, 0, 0, "$"

Console.PutKeys "echo hello; echo world"
Console.PutControl "<Enter>"
If Not Console.WaitString(5, 0, 2, "world") Then
  Err.Raise 1, "", "Not found string 'world'"
End If
If Not Console.CheckRect(0, 1, 9, 2, "hello/world/") Then
  Err.Raise 1, "", "Not found string 'hello/world/'"
End If

' Keys with modifiers go in angle brackets: interrupt a sleep with Ctrl+C.
Console.PutKeys "sleep 100"
Console.PutControl "<Enter>"
Console.Pause 1
Console.PutControl "<Ctrl+C>"
Console.PutKeys "echo interrupted"
Console.PutControl "<Enter>"
If Not Console.WaitString(5, 0, 5, "interrupted") Then
  Err.Raise 1, "", "Not found string 'interrupted'"
End If

Console.PutKeys "exit"
Console.PutControl "<Enter>"
