' Loops until the time limit ends it.
MsgBox "looping"
Do
Loop
