' Under On Error Resume Next a failing If condition resumes with the next statement,
' which is the first of the Then branch.
On Error Resume Next
If 1 / 0 = 1 Then
    MsgBox "then"                 ' expect: then
Else
    MsgBox "else"
End If
MsgBox Err.Number                 ' expect: 11
