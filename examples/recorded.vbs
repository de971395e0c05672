' What the recorder and the check generator write, ready to play.
' Run it with:  build/bin/pallant-play examples/recorded.vbs
'
' Typed text becomes Console.PutKeys, other keys Console.PutControl, a selection on the
' screen an If Not Console.CheckString (one row) or Console.CheckRect (several rows)
' block. Window checks call CheckWindow without the Console. prefix.

' The program under test; recordings usually start with it already running
' (pallant-play ... -- bc -q does that instead of this line).
Console.RunCommand "bc -q"

Console.PutKeys "1+1"
Console.PutControl "<Enter>"
Console.WaitString 5, 0, 1, "2"
If Not Console.CheckString(0, 1, "2") Then
  Err.Raise 1, "", "Not found string '2'"
End If
If Not Console.CheckRect(0, 0, 2, 1, "1+1/2/") Then
  Err.Raise 1, "", "Not found string '1+1/2/'"
End If
If Not CheckWindow(0,0,0,0) Then
  Err.Raise 1, "", "Not found window 0,0,0,0"
End If
Console.PutKeys "quit"
Console.PutControl "<Enter>"
