MsgBox "typing"
Console.PutKeys String(100000, "a")
MsgBox "not reached"
