' Two programs in one headless script: a RunCommand while the first runs opens another
' console and returns its object; both end with the script.
Console.RunCommand "cat"
Set other = Console.RunCommand("printf 'client ready'; read line; echo got $line; exec sleep 9876.5")
If Not other.WaitString(5, 0, 0, "client ready") Then Err.Raise 1, "", "the second console did not start"
Console.PutKeys "first"
Console.PutControl "<Enter>"
other.PutKeys "second"
other.PutControl "<Enter>"
If Not Console.WaitString(5, 0, 1, "first") Then Err.Raise 1, "", "the first console did not echo"
If Not other.WaitString(5, 0, 1, "got second") Then Err.Raise 1, "", "the second console did not answer"
If Console.CheckString(0, 0, "client") Then Err.Raise 1, "", "the consoles share a screen"
MsgBox "two consoles " & Console.IsProcessActive & " " & other.IsProcessActive
