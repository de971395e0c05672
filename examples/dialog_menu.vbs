' A text-mode dialog: its window is found by the corners of its frame.
' Run it with:  build/bin/pallant-play examples/dialog_menu.vbs
'
' CheckWindow counts columns and rows from 1 (left, top, right, bottom) and waits up to
' ten seconds for the active window to have that rectangle. The menu's list is framed
' inside the dialog's frame; a frame with a corner inside the chosen one is taken as the
' window in front, so the list is the active window here.

' dialog draws on the shell's screen; the shell clears it afterwards and shows the choice.
Console.RunCommand "choice=$(dialog --stdout --menu Pick 12 30 3 1 Apples 2 Pears 3 Plums); clear; echo chose $choice"
If Not CheckWindow(27,9,52,15) Then
  Err.Raise 1, "", "Not found window 27,9,52,15"
End If

' Move down to Pears and choose it; dialog ends and its window goes away.
Console.PutControl "<Down><Enter>"
If Not Console.WaitString(5, 0, 0, "chose 2") Then
  Err.Raise 1, "", "Not found string 'chose 2'"
End If
If Not CheckWindow(0,0,0,0) Then
  Err.Raise 1, "", "Not found window 0,0,0,0"
End If
