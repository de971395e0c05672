' A script two folders down.
MsgBox "deep"
