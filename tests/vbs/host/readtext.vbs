' A host method fills a variable passed as its last argument, as ReadText does.
Sub ReadInto(ByRef target)
    HostFill target, "ab/cd/"
End Sub
Dim text
ReadInto text
MsgBox text ' expect: ab/cd/
Test.HostFill text, Empty
MsgBox IsEmpty(text) ' expect: True
