' The include idiom: a library file run at script level with ExecuteGlobal.
Set fso = CreateObject("Scripting.FileSystemObject")
lib = fso.BuildPath(HostTempDir, "lib.vbs")
Set f = fso.CreateTextFile(lib)
f.WriteLine "Const Greeting = ""hello"""
f.WriteLine "Function Shout(s)"
f.WriteLine "    Shout = UCase(s) & ""!"""
f.WriteLine "End Function"
f.WriteLine "Class Pair"
f.WriteLine "    Public A, B"
f.WriteLine "    Public Function Sum() : Sum = A + B : End Function"
f.WriteLine "End Class"
f.Close
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(lib).ReadAll
MsgBox Shout(Greeting)             ' expect: HELLO!
Set p = New Pair
p.A = 2 : p.B = 3
MsgBox p.Sum()                     ' expect: 5
