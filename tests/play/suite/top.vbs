' A script at the top of the folder.
MsgBox "top"
