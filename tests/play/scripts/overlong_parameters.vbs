' A program that prints control sequences with more parameters than a terminal keeps.
Console.RunCommand "printf ""a\033[;;;;;;;;;;;;;;;;;;;;mb\033[1:2:3:4:5:6:7:8:9:10:11:12:13:14:15:16:17:18mc done\n"""
If Not Console.WaitString(5, 4, 0, "done") Then Err.Raise 1, "", "no output"
Dim shown
Console.ReadText 0, 0, 7, 0, shown
MsgBox "shown " & shown
