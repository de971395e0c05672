' A text-mode window drawn by dialog, found by its frame.
Console.RunCommand "dialog --msgbox Hello 7 30"
If Not Console.CheckWindow(DIALOG_RECT) Then Err.Raise 1, "", "Not found window"
Console.PutControl "<Enter>"
