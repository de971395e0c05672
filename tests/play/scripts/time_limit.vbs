MsgBox "pausing"
Console.Pause 60
MsgBox "not reached"
