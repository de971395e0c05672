Dim a
a = "crlf"
MsgBox a ' expect: crlfMsgBox "cr" ' expect: cr
MsgBox "lf" ' expect: lf
