' Finding text anywhere, waiting for quiet, colours and the program's exit status.
' Run it with:  build/bin/pallant-play examples/finding.vbs
'
' A check or wait called as a statement fails the script when its answer is False, with
' what it found instead; called in an expression (If Not ... Then) it just answers.

Console.RunCommand "sh -c 'printf ""total: \033[1;32m42\033[0m items\n""; sleep 0.1; echo done; exit 3'"

' Where does the total stand? X and Y get the cell (0-based), -1 when it is nowhere.
Console.WaitFind 5, "total:", x, y
MsgBox "total: found at column " & x & ", row " & y

' A regular expression, as RegExp writes them; Matched gets the text it matched.
Console.FindPattern "\d+ items", x, y, matched
MsgBox "pattern matched '" & matched & "' at " & x & "," & y

' The number is bright green: compare the colour bits only.
Console.CheckAttr x, y, x + 1, y, ForeGreen Or ForeIntense, ForeMask
MsgBox "attribute word of the 4: &H" & Hex(Console.ReadAttr(x, y))

' Wait until the program has written nothing for 200 ms (at most 5 s), then read.
Console.WaitQuiet 200, 5
Console.CheckString 0, 1, "done"

' The program's end and its exit status (128 + the signal when a signal ended it).
Console.WaitExit 5, code
MsgBox "exit status " & code & " on a " & Console.ScreenWidth & "x" & Console.ScreenHeight & " screen"

' Expression form: a False answer is the script's to handle.
If Console.FindString("error", x, y) Then Err.Raise 1, "", "the program reported an error"
Console.Sleep 100
