On Error Resume Next
HostFail 1234, "host says no"
MsgBox Err.Number & " " & Err.Source & " " & Err.Description ' expect: 1234 Test.Host host says no
Err.Clear
Test.NoSuchThing
MsgBox Err.Number ' expect: 438
Err.Clear
Dim n
n.Foo
MsgBox Err.Number ' expect: 424
Err.Clear
Set n = Nothing
n.Foo
MsgBox Err.Number ' expect: 91
Err.Clear
Test = 5
MsgBox Err.Number ' expect: 501
Err.Clear
HostEcho 1, 2
MsgBox Err.Number ' expect: 450
On Error GoTo 0
HostFail -2147418113, "Not found string" ' expect runtime error -2147418113 at 1: Not found string
