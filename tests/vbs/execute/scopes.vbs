' Execute runs in the current scope, ExecuteGlobal at script level; Eval's = compares.
x = 1
Execute "x = x + 1"
MsgBox x                              ' expect: 2
Execute "y = 10 : z = y * 2"
MsgBox y & " " & z                    ' expect: 10 20
ExecuteGlobal "Dim shared" & vbCrLf & "shared = ""s"""
MsgBox shared                         ' expect: s
MsgBox Eval("x = 2") & " " & Eval("x + 40") ' expect: True 42
MsgBox TypeName(Eval("x = 2"))        ' expect: Boolean
MsgBox x                              ' expect: 2
Sub Local()
    Dim n
    n = 5
    Execute "n = n * 3 : m = n + 1"
    MsgBox n & " " & m & " " & Eval("n - 1") ' expect: 15 16 14
    Execute "Dim inner" & vbLf & "inner = 7"
    Execute "inner = inner + 1"
    MsgBox inner                      ' expect: 8
    ExecuteGlobal "fromSub = n"
    MsgBox IsEmpty(fromSub)           ' expect: True
    Execute "x = x + 100"
End Sub
Local
MsgBox x & " [" & fromSub & "]"       ' expect: 102 []
' Procedures and classes defined by executed text belong to the script.
ExecuteGlobal "Function Twice(v)" & vbCrLf & "Twice = v * 2" & vbCrLf & "End Function"
MsgBox Twice(21)                      ' expect: 42
Execute "Class Box : Public V : End Class"
Set b = New Box
b.V = 3
MsgBox b.V                            ' expect: 3
' Several lines, comments, control structures.
Execute "For i = 1 To 3" & vbCrLf & "total = total + i ' sum" & vbCrLf & "Next"
MsgBox total                          ' expect: 6
' Inside a class member the text sees the members.
Class Counter
    Private n
    Public Function Bump(k)
        Execute "n = n + k"
        Bump = Eval("n")
    End Function
End Class
Set c = New Counter
c.Bump 2
MsgBox c.Bump(3)                      ' expect: 5
