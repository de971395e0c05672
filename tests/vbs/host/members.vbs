' The named item Test is the context item: its members are reached with and without Test.
MsgBox HostEcho(5) ' expect: 5
MsgBox Test.HostEcho("a") ' expect: a
Dim v
HostFill v, "filled"
MsgBox v ' expect: filled
Test.HostFill v, 42
MsgBox v ' expect: 42
HostFill (v), 1
MsgBox v ' expect: 42
Dim arr(1)
HostFill arr(1), "element"
MsgBox arr(1) ' expect: element
MsgBox HostIsRef(v) & " " & HostIsRef(1) & " " & HostIsRef((v)) ' expect: True False False
HostValue = 7
MsgBox HostValue ' expect: 7
Test.HostValue = "p"
MsgBox Test.HostValue ' expect: p
MsgBox TypeName(Test) & " " & IsObject(Test) ' expect: TestObject True
Dim t
Set t = Test
MsgBox t.HostEcho(3) ' expect: 3
MsgBox HostArgs(1, , 3) & HostArgs() ' expect: 30
MsgBox test.hostecho("names ignore case") ' expect: names ignore case
On Error Resume Next
Dim app
Set app = CreateObject("Excel.Application")
MsgBox Err.Number & " " & Err.Description ' expect: 429 ActiveX component can't create object
