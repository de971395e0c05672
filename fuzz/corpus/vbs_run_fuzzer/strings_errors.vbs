' Invalid arguments raise 5, Null where a string is needed raises 94.
Dim x
On Error Resume Next
x = Left("abc", -1)
MsgBox Err.Number                 ' expect: 5
Err.Clear
x = Mid("abc", 0)
MsgBox Err.Number                 ' expect: 5
Err.Clear
x = Space(-1)
MsgBox Err.Number                 ' expect: 5
Err.Clear
x = Asc("")
MsgBox Err.Number                 ' expect: 5
Err.Clear
x = Chr(300)
MsgBox Err.Number                 ' expect: 5
Err.Clear
x = Replace(Null, "a", "b")
MsgBox Err.Number                 ' expect: 94
Err.Clear
x = Join("abc")
MsgBox Err.Number                 ' expect: 13
On Error GoTo 0
x = Mid("abc", 1, -1)             ' expect runtime error 5 at 1: Invalid procedure call or argument: 'Mid'
