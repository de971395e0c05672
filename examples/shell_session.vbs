' Typing into a shell and checking what it prints.
' Run it with:  build/bin/pallant-play examples/shell_session.vbs

Console.RunCommand "bash --norc --noprofile"

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

' Where output lands depends on the shell: read the whole screen and search it. ReadText
' puts "/" after every row, so "/interrupted/" is a row that reads exactly that.
Dim screen, i
For i = 1 To 5
  Console.ReadText 0, 0, 79, 24, screen
  If InStr(screen, "/interrupted/") > 0 Then Exit For
  Console.Pause 1
Next
If InStr(screen, "/interrupted/") = 0 Then
  Err.Raise 1, "", "no row reads 'interrupted'"
End If

Console.PutKeys "exit"
Console.PutControl "<Enter>"
