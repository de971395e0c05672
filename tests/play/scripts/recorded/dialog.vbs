' Recorded in a dialog box: the window check, then the answer right after Enter.
If Not CheckWindow(25,9,54,15) Then
  Err.Raise 1, "", "Not found window 25,9,54,15"
End If
Console.PutControl "<Tab>"
Console.PutControl "<Enter>"
If Not Console.CheckString(0, 0, "answer 1") Then
  Err.Raise 1, "", "Not found string 'answer 1'"
End If
