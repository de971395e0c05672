On Error Resume Next
Dim x
x = 1 / 0
MsgBox Err.Number                 ' expect: 11
MsgBox Err.Description            ' expect: Division by zero
MsgBox Err.Source                 ' expect: VBScript runtime error
MsgBox Err                        ' expect: 11
Err.Clear
MsgBox Err.Number & "[" & Err.Description & "]" ' expect: 0[]
Err.Raise 1000, "Mine", "custom"
MsgBox Err.Number & " " & Err.Source & " " & Err.Description ' expect: 1000 Mine custom
Err.Raise 13
MsgBox Err.Number & " " & Err.Description ' expect: 13 Type mismatch
Err.Raise vbObjectError + 1, "App", "failed"
MsgBox Err.Number                 ' expect: -2147221503
x = "after"
MsgBox x                          ' expect: after
On Error Resume Next
MsgBox Err.Number                 ' expect: 0
