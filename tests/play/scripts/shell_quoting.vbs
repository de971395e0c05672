' A command line read by the shell's rules: quotes group words and are removed.
Console.RunCommand "printf '%s|' 'a b' 'c""d'"
If Not Console.WaitString(5, 0, 0, "a b|c""d|") Then Err.Raise 1, "", "quoting"
Dim shown
Console.ReadText 0, 0, 20, 0, shown
MsgBox "shown " & shown
