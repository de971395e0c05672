' Reading a rectangle of the screen into a variable.
Console.RunCommand "printf ""name: Quorvia\nplace: Pallant\n"""
If Not Console.WaitString(5, 0, 1, "place:") Then Err.Raise 1, "", "no output"
Dim name, both
Console.ReadText 6, 0, 79, 0, name
Console.ReadText 0, 0, 7, 1, both
If name <> "Quorvia" Then Err.Raise 1, "", "read [" & name & "]"
If both <> "name: Qu/place: P/" Then Err.Raise 1, "", "read [" & both & "]"
MsgBox "read " & name
