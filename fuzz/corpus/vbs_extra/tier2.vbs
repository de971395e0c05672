Class Node
    Public Value, NextNode
    Private m_tag
    Public Default Property Get Tag() : Tag = m_tag : End Property
    Public Property Let Tag(v) : m_tag = v : End Property
    Public Property Set Link(n) : Set NextNode = n : End Property
    Private Sub Class_Initialize() : m_tag = "n" : End Sub
    Private Sub Class_Terminate() : count = count + 1 : End Sub
    Public Function Walk(depth)
        If depth > 3 Or NextNode Is Nothing Then Walk = Value : Exit Function
        Walk = Value & NextNode.Walk(depth + 1)
    End Function
End Class
Set a = New Node : Set b = New Node
a.Value = 1 : b.Value = 2 : Set a.Link = b : Set b.Link = a
x = a.Walk(0) & a & b.Tag
Set a = Nothing
Execute "y = x & 1 : Dim z : z = Eval(""y = x"")"
ExecuteGlobal "Function F(p) : F = p * 2 : End Function"
Set g = GetRef("F") : w = g(4)
Set d = CreateObject("Scripting.Dictionary")
d.Add "k", 1 : d("j") = 2 : For Each k In d : s = s & k : Next
Set re = New RegExp : re.Pattern = "(\d+)([a-z]?)" : re.Global = True
r = re.Replace("12a 3 45b", "[$2$1]") : Set m = re.Execute("7x 8")
q = FormatNumber(1234.5, 1) & FormatPercent(0.5) & FormatCurrency(-1) & FormatDateTime(Now, 4)
q = q & DatePart("ww", Now) & Escape("a b") & Unescape("%u0041") & CCur(1.5) * 2
Set fso = CreateObject("Scripting.FileSystemObject")
