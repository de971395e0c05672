' The Err object's properties can be read and written; Raise takes them all.
On Error Resume Next
Err.Raise 513, "Src", "Desc", "help.hlp", 42
MsgBox Err.Number & "|" & Err.Source & "|" & Err.Description & "|" & Err.HelpFile & "|" & Err.HelpContext ' expect: 513|Src|Desc|help.hlp|42
Err.Number = 7
Err.Description = "changed"
MsgBox Err.Number & " " & Err.Description ' expect: 7 changed
Err.Clear
MsgBox Err.Number & "[" & Err.Source & "]" ' expect: 0[]
Err.Raise 0
MsgBox Err.Number ' expect: 5
Err.Clear
Err.Raise 6
MsgBox Err.Description ' expect: Overflow
Err.Clear
Err.Raise 1000
MsgBox Err.Description ' expect: Unknown runtime error
MsgBox TypeName(Err) ' expect: ErrObject
