' A text-mode window drawn by dialog, found by its frame.
Console.RunCommand "dialog --msgbox Hello 7 30"
If Not Console.CheckWindow(25, 9, 54, 15) Then Err.Raise 1, "", "Not found window"
Console.PutControl "<Enter>"
