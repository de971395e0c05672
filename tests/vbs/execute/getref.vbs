' GetRef: a procedure as a value that can be called, stored and passed on.
Function Add(a, b)
    Add = a + b
End Function
Sub Fill(ByRef target, value)
    target = value
End Sub
Dim f
Set f = GetRef("Add")
MsgBox f(2, 3)                        ' expect: 5
MsgBox TypeName(f) & " " & IsObject(f) ' expect: Object True
Function Apply(fn, x)
    Apply = fn(x, x)
End Function
MsgBox Apply(GetRef("add"), 21)      ' expect: 42
Set g = GetRef("Fill")
g v, "filled"
MsgBox v                              ' expect: filled
Call g(w, 7)
MsgBox w                              ' expect: 7
On Error Resume Next
Set h = GetRef("Nowhere")
MsgBox Err.Number & " " & Err.Description ' expect: 5 Invalid procedure call or argument
Err.Clear
x = f(1)
MsgBox Err.Number                     ' expect: 450
