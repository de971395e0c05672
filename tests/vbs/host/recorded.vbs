' Statements as the recorder and the check generator write them, against the test item.
If Not HostEcho(True) Then
  Err.Raise 1, "", "Not found window 1,1,80,25"
End If
Test.HostFill keys, "dir"
MsgBox keys ' expect: dir
If Not Test.HostEcho(False) Then
  Err.Raise 1, "", "Not found string 'Hello'" ' expect runtime error 1 at 3: Not found string 'Hello'
End If
MsgBox "not reached"
