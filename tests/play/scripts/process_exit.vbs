' IsProcessActive after the program has exited, and from then on.
Console.RunCommand "sh -c ""echo bye; exit 3"""
Console.WaitString 5, 0, 0, "bye"
Console.Pause 1
If Console.IsProcessActive Then Err.Raise 1, "", "still active"
If Console.IsProcessActive Then Err.Raise 1, "", "active again"
Console.KillProcess
MsgBox "ended"
